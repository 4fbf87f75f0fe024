// Picture dates in every system date order, their age, and the updates list's date.
#include "FuzzSupport.h"

#include "core/base/TextCodec.h"
#include "core/net/UpdatesList.h"
#include "core/thumbs/PictureAge.h"

using namespace tavimo;
using namespace tavimo::fuzz;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QString text = decodeCp1252(input(data, size));
    const QDateTime now(QDate(2024, 5, 31), QTime(12, 0), Qt::UTC);
    const LanguageTexts texts;
    for (const DateOrder::Order order :
         {DateOrder::MonthFirst, DateOrder::DayFirst, DateOrder::YearFirst}) {
        for (const QString &separator :
             {QStringLiteral("/"), QStringLiteral("."), QStringLiteral("-"), QString()}) {
            const DateOrder dateOrder{order, separator};
            QString date = text;
            NormalizeDate(date, dateOrder);
            for (const AgeRule rule : {AgeRule::SkipOldAndAnimated, AgeRule::Always}) {
                QString stored = text;
                ageDisplay(stored, QStringLiteral("X"), QStringLiteral("K1ABC"), rule, dateOrder,
                           texts, now);
            }
        }
    }
    if (const std::optional<QDate> date = readPictureDate(text))
        pictureAgeDays(*date, now);
    QString failed = text;
    stampFirstFailure(failed, now);
    parseUpdatesListDate(text);
    return 0;
}
