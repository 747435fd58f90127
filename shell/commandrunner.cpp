#include "shell/commandrunner.h"

#include "shell/shellstate.h"
#include "windows/dialogs.h"
#include "windows/qttranslations.h"

namespace {
// Sets the menu flag again however the command ends.
class MenuFlagGuard {
public:
    MenuFlagGuard(ShellState &state, bool clears, const std::function<void()> &watch)
        : m_state(state), m_clears(clears), m_watch(watch)
    {
        if (m_clears)
            set(false);
    }
    ~MenuFlagGuard()
    {
        if (m_clears)
            set(true);
    }
    MenuFlagGuard(const MenuFlagGuard &) = delete;
    MenuFlagGuard &operator=(const MenuFlagGuard &) = delete;

private:
    void set(bool enabled)
    {
        m_state.menuEnabled = enabled;
        if (m_watch)
            m_watch();
    }

    ShellState &m_state;
    bool m_clears;
    const std::function<void()> &m_watch;
};
}

bool CommandRunner::run(bool clearsMenuFlag, const std::function<void()> &command)
{
    MenuFlagGuard flag(m_state, clearsMenuFlag, m_flagWatch);
    PrepareWindows();
    return Dialogs::RunShowingErrors([&] {
        if (m_beforeCommand)
            m_beforeCommand();
        command();
    });
}
