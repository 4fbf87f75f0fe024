#include "core/base/Prompts.h"

namespace tavimo {

Prompts::~Prompts() = default;

} // namespace tavimo
