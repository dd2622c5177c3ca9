// Writes a picture of every window of the ordering program into a folder, filled from a
// full order.ini, on the offscreen platform. Usage: render_order OUTPUT-FOLDER [ORDER.INI]

#include "Module1.h"
#include "email.h"
#include "fax.h"
#include "mail.h"
#include "order.h"
#include "phone.h"
#include "web.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QPixmap>
#include <QRadioButton>
#include <QTemporaryDir>

#include <cstdio>

using namespace orderapp;

namespace {

void fill(OrderForm* f)
{
    f->nameBox->setText(QStringLiteral("Alex Sample"));
    f->street1Box->setText(QStringLiteral("42 Fictional Road"));
    f->street2Box->setText(QStringLiteral("Apartment 7"));
    f->cityBox->setText(QStringLiteral("Sampleton"));
    f->stateBox->setText(QStringLiteral("WI"));
    f->zipBox->setText(QStringLiteral("53799"));
    f->countryBox->setText(QStringLiteral("USA"));
    f->phoneBox->setText(QStringLiteral("(555) 555-0199"));
    f->emailBox->setText(QStringLiteral("alex@example.com"));
    f->quantityBoxes[0]->setText(QStringLiteral("1"));
    f->quantityBoxes[2]->setText(QStringLiteral("2"));
    f->cardBox->setText(QStringLiteral("4111 1111 1111 1111"));
    f->expiryBox->setText(QStringLiteral("12/29"));
}

bool save(QWidget* w, const QString& folder, const char* name)
{
    const QString path = QDir(folder).filePath(QLatin1String(name) + QStringLiteral(".png"));
    const bool ok = w->grab().save(path);
    std::printf("%s %s\n", ok ? "wrote" : "could not write", qPrintable(path));
    return ok;
}

} // namespace

int main(int argc, char* argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc < 2) {
        std::fprintf(stderr, "usage: render_order OUTPUT-FOLDER [ORDER.INI]\n");
        return 2;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString ini =
        argc > 2 ? QString::fromLocal8Bit(argv[2]) : QStringLiteral(ORDER_SAMPLE_INI);
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot make the folder %s\n", argv[1]);
        return 1;
    }
    QTemporaryDir folder;
    if (!folder.isValid() || !QFile::copy(ini, folder.filePath(QStringLiteral("order.ini")))) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(ini));
        return 1;
    }
    SetProgramFolder(folder.path());

    bool ok = true;
    order* chooser = Show<order>();
    chooser->Option5->setChecked(true);
    ok &= save(chooser, out, "order");
    phone* p = Show<phone>();
    p->Text5->setText(QStringLiteral("TYPED-SERIAL-2"));
    ok &= save(p, out, "phone");
    ok &= save(Show<web>(), out, "web");
    email* e = Show<email>();
    fill(e);
    ok &= save(e, out, "email");
    fax* f = Show<fax>();
    fill(f);
    ok &= save(f, out, "fax");
    mail* m = Show<mail>();
    fill(m);
    ok &= save(m, out, "mail");
    return ok ? 0 : 1;
}
