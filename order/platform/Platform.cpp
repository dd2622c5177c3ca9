#include "Platform.h"

#include <memory>

namespace orderapp::platform {

namespace {

struct RealServices
{
    FileProfileReader profile;
    QtPrinter printer;
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
