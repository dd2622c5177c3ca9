#pragma once

// The platform services the windows use, reached through one place so that tests can put
// their own versions in.

#include "Clipboard.h"
#include "Desktop.h"
#include "MessageBox.h"
#include "Printer.h"
#include "ProfileReader.h"

namespace orderapp::platform {

struct Services
{
    ProfileReader* profile = nullptr;
    Printer* printer = nullptr;
    Clipboard* clipboard = nullptr;
    MessageBox* messages = nullptr;
    Desktop* desktop = nullptr;
};

// The services in use: the real ones unless others were set.
const Services& services();
// Replaces some of the services (null members keep the real ones); the caller keeps them
// alive until they are replaced again. resetServices() goes back to the real ones.
void setServices(const Services& replacements);
void resetServices();

} // namespace orderapp::platform
