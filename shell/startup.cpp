#include "shell/startup.h"

#include "about/taboutbox.h"
#include "model/tform10.h"
#include "outputs/tform3.h"
#include "outputs/tform4.h"
#include "outputs/tform5.h"
#include "shell/tform2.h"
#include "shell/tform8.h"
#include "shell/tinitform.h"
#include "store/tform6.h"
#include "views/tform1.h"

// The order is fixed: TForm1, TForm2, TAboutBox, TForm3, TForm4, TForm5,
// TForm6, TForm8, TForm10. Each window is created here, once, hidden, and
// handed to the host with adopt().
void CreateWindows(TInitForm &host)
{
    host.Form1 = host.adopt(new TForm1(host.state()));
    host.Form2 = host.adopt(new TForm2(host.state()));
    host.AboutBox = host.adopt(new TAboutBox);
    host.Form3 = host.adopt(new TForm3);
    host.Form4 = host.adopt(new TForm4);
    host.Form5 = host.adopt(new TForm5);
    host.Form6 = host.adopt(new TForm6(host.state()));
    host.Form8 = host.adopt(new TForm8);
    host.Form10 = host.adopt(new TForm10(host.state()));
}
