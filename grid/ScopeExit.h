// Runs a function when the scope ends, however it ends: restores state on every exit path.
#pragma once

#include <exception>
#include <utility>

namespace carrelon {

template <typename F>
class TScopeExit {
public:
    explicit TScopeExit(F Fn) : FFn(std::move(Fn)) {}
    ~TScopeExit() { FFn(); }
    TScopeExit(const TScopeExit&) = delete;
    TScopeExit& operator=(const TScopeExit&) = delete;

private:
    F FFn;
};

// Runs Change with the event handler Event detached, putting it back on every exit: for changes
// the application must not hear of.
template <typename E, typename F>
void WithoutHandler(E& Event, F&& Change) {
    E Saved = std::move(Event);
    Event = nullptr;
    TScopeExit Restore([&] { Event = std::move(Saved); });
    Change();
}

// Runs Body, then every restoring step in order, each one also when something before it
// raised; once all have run, the first exception raised passes on. For restores that may
// themselves raise (they call the application's handlers), where a destructor must not.
template <typename Body, typename... Steps>
void RunThenRestore(Body&& B, Steps&&... Restore) {
    std::exception_ptr First;
    const auto Run = [&First](auto& Step) {
        try {
            Step();
        } catch (...) {
            if (!First) First = std::current_exception();
        }
    };
    Run(B);
    (Run(Restore), ...);
    if (First) std::rethrow_exception(First);
}

}  // namespace carrelon
