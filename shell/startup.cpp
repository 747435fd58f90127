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

// TForm1, TForm2, TAboutBox, TForm3, TForm4, TForm5, TForm6, TForm8, TForm10:
// each is made once, hidden, when a command first needs it, and handed to
// the host with adopt().
void CreateWindows(TInitForm &host)
{
    TInitForm *h = &host;
    host.Form1.setFactory([h] { return h->adopt(new TForm1(h->state())); });
    host.Form2.setFactory([h] { return h->adopt(new TForm2(h->state())); });
    host.AboutBox.setFactory([h] { return h->adopt(new TAboutBox); });
    host.Form3.setFactory([h] { return h->adopt(new TForm3); });
    host.Form4.setFactory([h] { return h->adopt(new TForm4); });
    host.Form5.setFactory([h] { return h->adopt(new TForm5); });
    host.Form6.setFactory([h] { return h->adopt(new TForm6(h->state())); });
    host.Form8.setFactory([h] { return h->adopt(new TForm8); });
    host.Form10.setFactory([h] { return h->adopt(new TForm10(h->state())); });
}
