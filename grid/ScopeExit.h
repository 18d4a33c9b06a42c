// Runs a function when the scope ends, however it ends: restores state on every exit path.
#pragma once

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

}  // namespace carrelon
