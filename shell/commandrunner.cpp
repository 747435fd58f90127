#include "shell/commandrunner.h"

#include "shell/shellstate.h"
#include "windows/dialogs.h"
#include "windows/qttranslations.h"

namespace {
// Sets the menu flag again however the command ends.
class MenuFlagGuard {
public:
    MenuFlagGuard(ShellState &state, bool clears) : m_state(state), m_clears(clears)
    {
        if (m_clears)
            m_state.menuEnabled = false;
    }
    ~MenuFlagGuard()
    {
        if (m_clears)
            m_state.menuEnabled = true;
    }
    MenuFlagGuard(const MenuFlagGuard &) = delete;
    MenuFlagGuard &operator=(const MenuFlagGuard &) = delete;

private:
    ShellState &m_state;
    bool m_clears;
};
}

bool CommandRunner::run(bool clearsMenuFlag, const std::function<void()> &command)
{
    MenuFlagGuard flag(m_state, clearsMenuFlag);
    PrepareWindows();
    return Dialogs::RunShowingErrors([&] {
        if (m_beforeCommand)
            m_beforeCommand();
        command();
    });
}
