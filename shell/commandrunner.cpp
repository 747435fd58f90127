#include "shell/commandrunner.h"

#include "model/errors.h"
#include "shell/shellstate.h"
#include "windows/dialogs.h"

#include <QString>
#include <exception>

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
    QString failure;
    try {
        if (m_beforeCommand)
            m_beforeCommand();
        command();
        return true;
    } catch (const KelvoraError &e) {
        failure = e.message();
    } catch (const std::exception &e) {
        failure = QString::fromLocal8Bit(e.what());
    } catch (...) {
        failure = QStringLiteral("Unknown error");
    }
    // Shown outside the handlers: the box runs its own event loop.
    try {
        Dialogs::ShowError(failure);
    } catch (...) {
        // Nothing may leave a command; the box itself failing is not worth more.
    }
    return false;
}
