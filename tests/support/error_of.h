#pragma once
// The messages of errors a test provokes.
#include <exception>
#include <string>

// The message of the E that f raises, or "(no error)" when it raises none.
template <typename E, typename F> std::string ErrorOf(F f) {
    try {
        f();
    } catch (const E& error) {
        return error.what();
    }
    return "(no error)";
}

// The message of the E that error holds, or "(another error)".
template <typename E = std::exception> std::string MessageOf(const std::exception_ptr& error) {
    try {
        std::rethrow_exception(error);
    } catch (const E& raised) {
        return raised.what();
    } catch (...) {
    }
    return "(another error)";
}
