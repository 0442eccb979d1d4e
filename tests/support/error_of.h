#pragma once
// The message of the E that f raises, or "(no error)" when it raises none.
#include <string>

template <typename E, typename F> std::string ErrorOf(F f) {
    try {
        f();
    } catch (const E& error) {
        return error.what();
    }
    return "(no error)";
}
