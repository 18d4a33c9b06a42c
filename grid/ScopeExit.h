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

}  // namespace carrelon
