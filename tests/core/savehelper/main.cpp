// Saves for tst_datafiles, in a process the test may kill:
//   save-loop <data folder> <v>  saves the two versions in turn, version v (0 or 1)
//                                first, for at most ten seconds
#include "SaveVersions.h"

#include "support/FakePrompts.h"

#include <QDeadlineTimer>

#include <cstdio>

using namespace tavimo;
using namespace tavimo::test;

int main(int argc, char **argv) {
    if (argc != 4 || QByteArray(argv[1]) != "save-loop")
        return 2;
    AppPaths paths;
    paths.dataFolder = QString::fromLocal8Bit(argv[2]);
    SavedState versions[2] = {savedState(0), savedState(1)};
    FakePrompts prompts;
    std::fputs("ready\n", stdout);
    std::fflush(stdout);
    // Ends by itself should the test that kills it be gone.
    const QDeadlineTimer deadline(10000);
    for (int v = QByteArray(argv[3]) == "1" ? 1 : 0; !deadline.hasExpired(); v ^= 1)
        saveVersion(paths, versions[v], prompts);
    return 0;
}
