#include "shell/program_names.h"

namespace {

ProgramNames names;

}  // namespace

void SetProgramNames(const ProgramNames& given) {
    const ProgramNames defaults;
    names.windowClass = given.windowClass ? given.windowClass : defaults.windowClass;
    names.instanceName = given.instanceName ? given.instanceName : defaults.instanceName;
}

const ProgramNames& GetProgramNames() { return names; }
