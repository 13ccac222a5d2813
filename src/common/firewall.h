// The firewall at every entry from outside (the exports, the timer callback, surface input):
// no C++ exception ever reaches the Host, whose process it would end.
#pragma once

#include <exception>

// Writes one diagnostic line, "Korvane: <where> failed: <what>", to the debugger output.
void ReportFailure(const char* where, const char* what) noexcept;

// Runs body; whatever it raises is reported and swallowed. True when body returned normally.
template <typename Body>
bool RunGuarded(const char* where, Body&& body) noexcept {
    try {
        body();
        return true;
    } catch (const std::exception& error) {
        ReportFailure(where, error.what());
    } catch (...) {
        ReportFailure(where, "an exception that is not a std::exception");
    }
    return false;
}

// A series of steps that must all be tried even when one raises (switching every LED off at
// close, say): each failure is held, and the first is raised again by Finish.
class StepSeries {
public:
    template <typename Step>
    void Run(Step&& step) noexcept {
        try {
            step();
        } catch (...) {
            if (!firstFailure)
                firstFailure = std::current_exception();
        }
    }
    void Finish() const {
        if (firstFailure)
            std::rethrow_exception(firstFailure);
    }

private:
    std::exception_ptr firstFailure;
};
