#pragma once

// Commands to sway (and compositors that speak its IPC) over the socket named
// by SWAYSOCK, and its layout tree (which window had the focus last). sway leaves an X11 program's
// request to activate a window unanswered by default (it marks the window urgent instead), so on
// sway's X server the X11 backend asks sway itself to focus the window.

#include <cstdint>
#include <memory>
#include <string>

namespace automation::sway {

class Ipc
{
public:
    // nullptr when SWAYSOCK is not set or nothing listens there.
    static std::unique_ptr<Ipc> fromEnvironment();
    ~Ipc();
    Ipc(const Ipc&) = delete;
    Ipc& operator=(const Ipc&) = delete;

    // Runs one command (for example "[id=4194307] focus"); true when sway
    // reports that it succeeded. Reconnects once if the connection was lost.
    bool run(const std::string& command);
    // The layout tree as sway describes it (JSON), empty when it could not be had.
    std::string tree();

private:
    explicit Ipc(std::string path);
    bool connect();
    bool exchange(std::uint32_t type, const std::string& payload, std::string& reply);
    bool ask(std::uint32_t type, const std::string& payload, std::string& reply);

    std::string m_path;
    int m_fd = -1;
};

} // namespace automation::sway
