#include "common/values.h"

namespace {
ProgramValues instance;
}

ProgramValues &values()
{
    return instance;
}

void resetValues()
{
    instance = ProgramValues{};
}
