#pragma once

// A stand-in plugin that records the call it gets and answers what the test
// told it to: enough to see that the host passes each function code, input
// and instance through as it should. Shared by the plugin and the test.

#include "plugin/FFGL.h"

namespace recording {

// Codes no plugin uses, for the test to talk to the stand-in.
enum : uint32_t {
    SET_ANSWER = 1000, // the input becomes the answer to every later call
    LAST_CALL = 1001,  // answers the address of the LastCall record
};

struct LastCall {
    uint32_t code;
    MixedValue input;
    uintptr_t instance;
    SetParameterStruct parameter; // a copy of FF_SETPARAMETER's record
};

} // namespace recording
