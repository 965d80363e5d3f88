#include "RecordingPlugin.h"

namespace {
recording::LastCall last{};
MixedValue answer = 0;
} // namespace

FF_EXPORT MixedValue FF_CALL plugMain(uint32_t code, MixedValue input, uintptr_t instance)
{
    if (code == recording::SET_ANSWER) {
        answer = input;
        return FF_SUCCESS;
    }
    if (code == recording::LAST_CALL)
        return reinterpret_cast<MixedValue>(&last);
    last = recording::LastCall{code, input, instance, {}};
    // The record lives on the caller's stack: keep a copy.
    if (code == FF_SETPARAMETER && input)
        last.parameter = *reinterpret_cast<const SetParameterStruct*>(input);
    return answer;
}
