#pragma once

// GNOME's compositor (Mutter) takes keys from programs of the session through
// its remote-desktop service on the session bus: a session is opened for one
// key combination and closed right after it, so that the desktop shows its
// "remote interaction" sign only for that moment. The keys go to the window
// that holds the keyboard, as a person's would.

#include <cstdint>
#include <memory>
#include <vector>

namespace automation::mutter {

class RemoteDesktop
{
public:
    // nullptr when the compositor offers no such service on the session bus.
    static std::unique_ptr<RemoteDesktop> fromEnvironment();

    // Presses the keys (X keysyms) together: each goes down in order, then
    // all come up in the reverse order. false when the compositor refused.
    bool pressTogether(const std::vector<std::uint32_t>& keysyms);

private:
    RemoteDesktop() = default;
};

} // namespace automation::mutter
