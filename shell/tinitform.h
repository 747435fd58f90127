#pragma once
// The hidden host window: owns the tray icon, the tray menu, the shared state
// and every other window; the menu commands are its methods.
#include "model/sharedstate.h"
#include "shell/commandrunner.h"
#include <QWidget>

class QMenu;
class QAction;
class QSystemTrayIcon;
class QTimer;
class TForm1;
class TForm2;
class TAboutBox;
class TForm3;
class TForm4;
class TForm5;
class TForm6;
class TForm8;
class TForm10;

class TInitForm : public QWidget {
    Q_OBJECT
public:
    // FormCreate: single-instance test, tray icon, first RefreshItems.
    explicit TInitForm(const QString &settingsPath, QWidget *parent = nullptr);
    ~TInitForm() override; // FormDestroy

    SharedState &state() { return m_state; }
    CommandRunner &runner() { return m_runner; }

    // Windows created after the host, in start-up order; owned by the host.
    TForm1 *Form1 = nullptr;
    TForm2 *Form2 = nullptr;
    TAboutBox *AboutBox = nullptr;
    TForm3 *Form3 = nullptr;
    TForm4 *Form4 = nullptr;
    TForm5 *Form5 = nullptr;
    TForm6 *Form6 = nullptr;
    TForm8 *Form8 = nullptr;
    TForm10 *Form10 = nullptr;

    QMenu *PopupMenu1 = nullptr;

    // Builds the year calendar model for person `index` and the chosen year.
    void CreateKelvora(int index);
    void RefreshItems();

    // Person commands; tag is the person's index.
    void ShowKelvora(int tag);
    void PrintKelvora(int tag);
    void ToExcelKelvora(int tag);
    void SaveKelvora(int tag);
    void GetBioMath(int tag);
    void EditItem(int tag);
    void DeleteItem(int tag);
    // Fixed items.
    void newClick();
    void AboutClick();
    void ParametresClick();
    void N4Click();
    void N5Click();
    void FileExitItem1Click();

    void Timer1Timer();

private:
    SharedState m_state;
    CommandRunner m_runner{m_state};
};
