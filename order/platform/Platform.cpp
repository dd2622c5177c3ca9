#include "Platform.h"

#include <QCoreApplication>

#include <memory>

namespace orderapp::platform {

namespace {

// Makes the real printer on first use (a printer is slow to set up and most runs never
// print) and drops it with the application object.
class LazyPrinter : public Printer
{
public:
    PrinterChoice SelectPrinter(QWidget* owner) override { return real().SelectPrinter(owner); }
    bool PrintClientArea(QWidget* window) override { return real().PrintClientArea(window); }

private:
    static std::unique_ptr<QtPrinter>& slot()
    {
        static std::unique_ptr<QtPrinter> printer;
        return printer;
    }
    static QtPrinter& real()
    {
        if (!slot()) {
            slot() = std::make_unique<QtPrinter>();
            qAddPostRoutine([] { slot().reset(); });
        }
        return *slot();
    }
};

struct RealServices
{
    FileProfileReader profile;
    LazyPrinter printer;
    QtClipboard clipboard;
    QtMessageBox messages;
    QtDesktop desktop;
};

RealServices& real()
{
    static RealServices services;
    return services;
}

Services g_replacements;
Services g_current;

} // namespace

const Services& services()
{
    RealServices& r = real();
    g_current.profile = g_replacements.profile ? g_replacements.profile : &r.profile;
    g_current.printer = g_replacements.printer ? g_replacements.printer : &r.printer;
    g_current.clipboard = g_replacements.clipboard ? g_replacements.clipboard : &r.clipboard;
    g_current.messages = g_replacements.messages ? g_replacements.messages : &r.messages;
    g_current.desktop = g_replacements.desktop ? g_replacements.desktop : &r.desktop;
    return g_current;
}

void setServices(const Services& replacements)
{
    g_replacements = replacements;
}

void resetServices()
{
    g_replacements = Services{};
}

} // namespace orderapp::platform
