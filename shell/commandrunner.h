#pragma once
// Every menu command runs through here: the menu enabled flag is cleared for
// commands that hold the menu closed and set again on every way out, and
// every error is shown once in the general error box. Nothing escapes into
// the event loop.
#include <functional>

struct ShellState;

class CommandRunner {
public:
    explicit CommandRunner(ShellState &state) : m_state(state) {}
    // Returns true when the command ended without an error.
    bool run(bool clearsMenuFlag, const std::function<void()> &command);

    // Tests: called inside every run, after the flag is set up and before the
    // command itself; whatever it throws ends the command like its own error.
    void setBeforeCommand(std::function<void()> hook) { m_beforeCommand = std::move(hook); }
    // Called whenever a command clears the menu flag or sets it again.
    void setMenuFlagWatch(std::function<void()> watch) { m_flagWatch = std::move(watch); }

private:
    ShellState &m_state;
    std::function<void()> m_beforeCommand;
    std::function<void()> m_flagWatch;
};
