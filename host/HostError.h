#pragma once

#include <stdexcept>

namespace frayline {

// Everything the reference host cannot do is reported as one of these, with
// a one-line message that names what was missing and why.
struct HostError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace frayline
