#pragma once

#include <cstdint>

#include "plugin/FFGL.h"

// The library's one export: every host call arrives here.
FF_EXPORT MixedValue FF_CALL plugMain(uint32_t functionCode, MixedValue inputValue,
                                      uintptr_t instanceID);
