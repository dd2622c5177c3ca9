#include "FakeInput.h"

#include "fake-input-client-protocol.h"

#include <QDBusConnection>
#include <QDBusMessage>

#include <wayland-client.h>
#include <xkbcommon/xkbcommon.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <optional>

namespace automation::kwin {

namespace {

// Keys on the Linux input layer are XKB's keycodes less 8.
constexpr std::uint32_t EvdevOffset = 8;
constexpr std::uint32_t Pressed = 1;
constexpr std::uint32_t Released = 0;
constexpr std::uint32_t FakeInputVersion = 4; // the first with keys
constexpr int LayoutCallLimitMs = 1000;

// A keysym's key, with the level keys held while it is pressed.
struct Press
{
    xkb_keycode_t key;
    std::vector<xkb_keycode_t> levelKeys;
};

// The layout KWin has in use (its keyboard service), else the first.
xkb_layout_index_t layoutInUse()
{
    const QDBusMessage reply = QDBusConnection::sessionBus().call(
        QDBusMessage::createMethodCall(
            QStringLiteral("org.kde.keyboard"), QStringLiteral("/Layouts"),
            QStringLiteral("org.kde.KeyboardLayouts"), QStringLiteral("getLayout")),
        QDBus::Block, LayoutCallLimitMs);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return 0;
    return reply.arguments().constFirst().toUInt();
}

} // namespace

struct FakeInput::Connection
{
    wl_display* display = nullptr;
    wl_registry* registry = nullptr;
    org_kde_kwin_fake_input* input = nullptr;
    wl_seat* seat = nullptr;
    wl_keyboard* keyboard = nullptr;
    xkb_context* context = nullptr;
    xkb_keymap* keymap = nullptr;

    ~Connection()
    {
        if (keymap)
            xkb_keymap_unref(keymap);
        if (context)
            xkb_context_unref(context);
        if (keyboard)
            wl_keyboard_release(keyboard);
        if (seat)
            wl_seat_release(seat);
        if (input)
            org_kde_kwin_fake_input_destroy(input);
        if (registry)
            wl_registry_destroy(registry);
        if (display)
            wl_display_disconnect(display);
    }

    xkb_layout_index_t layout() const
    {
        const xkb_layout_index_t inUse = layoutInUse();
        return inUse < xkb_keymap_num_layouts(keymap) ? inUse : 0;
    }

    bool alive() const { return display && wl_display_get_error(display) == 0; }

    // Each goes down in order, with the level keys it needs, then all come
    // up in the reverse order.
    bool press(const std::vector<Press>& presses)
    {
        std::vector<xkb_keycode_t> down;
        for (const Press& p : presses) {
            for (xkb_keycode_t held : p.levelKeys)
                if (std::find(down.begin(), down.end(), held) == down.end()) {
                    key(held, Pressed);
                    down.push_back(held);
                }
            key(p.key, Pressed);
            down.push_back(p.key);
        }
        for (auto it = down.rbegin(); it != down.rend(); ++it)
            key(*it, Released);
        return true;
    }

    // Once the compositor has taken every key sent.
    bool flushed() { return wl_display_roundtrip(display) >= 0 && alive(); }

    void key(xkb_keycode_t code, std::uint32_t state)
    {
        org_kde_kwin_fake_input_keyboard_key(input, code - EvdevOffset, state);
    }

    // The key that gives the keysym at level 0 of the layout.
    std::optional<xkb_keycode_t> plainKey(std::uint32_t keysym, xkb_layout_index_t layout) const
    {
        for (xkb_keycode_t k = xkb_keymap_min_keycode(keymap); k <= xkb_keymap_max_keycode(keymap);
             ++k) {
            const xkb_keysym_t* syms = nullptr;
            const int n = xkb_keymap_key_get_syms_by_level(keymap, k, layout, 0, &syms);
            if (n == 1 && syms[0] == keysym)
                return k;
        }
        return std::nullopt;
    }

    // The key and level keys that give the keysym in the layout in use: the
    // lowest level that needs no more than Shift and AltGr.
    std::optional<Press> find(std::uint32_t keysym, xkb_layout_index_t layout) const
    {
        const xkb_mod_index_t shiftMod = xkb_keymap_mod_get_index(keymap, XKB_MOD_NAME_SHIFT);
        const xkb_mod_index_t level3Mod = xkb_keymap_mod_get_index(keymap, "Mod5");
        std::optional<Press> best;
        std::size_t bestCost = 3;
        for (xkb_keycode_t k = xkb_keymap_min_keycode(keymap); k <= xkb_keymap_max_keycode(keymap);
             ++k) {
            const xkb_level_index_t levels = xkb_keymap_num_levels_for_key(keymap, k, layout);
            for (xkb_level_index_t level = 0; level < levels; ++level) {
                const xkb_keysym_t* syms = nullptr;
                if (xkb_keymap_key_get_syms_by_level(keymap, k, layout, level, &syms) != 1 ||
                    syms[0] != keysym)
                    continue;
                xkb_mod_mask_t masks[8];
                const std::size_t n = xkb_keymap_key_get_mods_for_level(keymap, k, layout, level,
                                                                        masks, std::size(masks));
                for (std::size_t i = 0; i < n; ++i) {
                    Press p{k, {}};
                    xkb_mod_mask_t rest = masks[i];
                    bool reachable = true;
                    for (const auto& [mod, levelKey] :
                         {std::pair{shiftMod, 0xffe1u}, std::pair{level3Mod, 0xfe03u}}) {
                        if (mod == XKB_MOD_INVALID || !(rest & (1u << mod)))
                            continue;
                        rest &= ~(1u << mod);
                        const auto held = plainKey(levelKey, layout);
                        reachable = reachable && held.has_value();
                        if (held)
                            p.levelKeys.push_back(*held);
                    }
                    if (reachable && rest == 0 && p.levelKeys.size() < bestCost) {
                        bestCost = p.levelKeys.size();
                        best = p;
                    }
                }
            }
        }
        return best;
    }
};

namespace {

void onGlobal(void* data, wl_registry* registry, std::uint32_t name, const char* interface,
              std::uint32_t version)
{
    auto* c = static_cast<FakeInput::Connection*>(data);
    if (!std::strcmp(interface, org_kde_kwin_fake_input_interface.name) &&
        version >= FakeInputVersion)
        c->input = static_cast<org_kde_kwin_fake_input*>(
            wl_registry_bind(registry, name, &org_kde_kwin_fake_input_interface, FakeInputVersion));
    else if (!std::strcmp(interface, wl_seat_interface.name) && !c->seat && version >= 5)
        c->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 5));
}

void onGlobalRemove(void*, wl_registry*, std::uint32_t) {}

const wl_registry_listener RegistryListener = {onGlobal, onGlobalRemove};

void onKeymap(void* data, wl_keyboard*, std::uint32_t format, std::int32_t fd, std::uint32_t size)
{
    auto* c = static_cast<FakeInput::Connection*>(data);
    if (format == WL_KEYBOARD_KEYMAP_FORMAT_XKB_V1) {
        void* text = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fd, 0);
        if (text != MAP_FAILED) {
            if (c->keymap)
                xkb_keymap_unref(c->keymap);
            c->keymap =
                xkb_keymap_new_from_buffer(c->context, static_cast<const char*>(text),
                                           strnlen(static_cast<const char*>(text), size),
                                           XKB_KEYMAP_FORMAT_TEXT_V1, XKB_KEYMAP_COMPILE_NO_FLAGS);
            munmap(text, size);
        }
    }
    close(fd);
}

void onEnter(void*, wl_keyboard*, std::uint32_t, wl_surface*, wl_array*) {}
void onLeave(void*, wl_keyboard*, std::uint32_t, wl_surface*) {}
void onKey(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t) {}
void onModifiers(void*, wl_keyboard*, std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t,
                 std::uint32_t)
{
}
void onRepeat(void*, wl_keyboard*, std::int32_t, std::int32_t) {}

const wl_keyboard_listener KeyboardListener = {onKeymap, onEnter,     onLeave,
                                               onKey,    onModifiers, onRepeat};

} // namespace

std::unique_ptr<FakeInput> FakeInput::fromEnvironment()
{
    if (qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY"))
        return nullptr;
    auto c = std::make_unique<Connection>();
    c->display = wl_display_connect(nullptr);
    if (!c->display)
        return nullptr;
    c->context = xkb_context_new(XKB_CONTEXT_NO_FLAGS);
    c->registry = wl_display_get_registry(c->display);
    wl_registry_add_listener(c->registry, &RegistryListener, c.get());
    if (wl_display_roundtrip(c->display) < 0 || !c->input || !c->seat || !c->context)
        return nullptr;
    c->keyboard = wl_seat_get_keyboard(c->seat);
    wl_keyboard_add_listener(c->keyboard, &KeyboardListener, c.get());
    org_kde_kwin_fake_input_authenticate(c->input, "Tindrel",
                                         "attaches a voice message to an e-mail");
    if (wl_display_roundtrip(c->display) < 0 || !c->keymap)
        return nullptr;
    return std::unique_ptr<FakeInput>(new FakeInput(std::move(c)));
}

FakeInput::FakeInput(std::unique_ptr<Connection> c) : m_c(std::move(c)) {}

FakeInput::~FakeInput() = default;

namespace {

std::optional<std::vector<Press>> pressesIn(const FakeInput::Connection& c,
                                            const std::vector<std::uint32_t>& keysyms,
                                            xkb_layout_index_t layout)
{
    std::vector<Press> presses;
    for (std::uint32_t k : keysyms) {
        const auto p = c.find(k, layout);
        if (!p)
            return std::nullopt;
        presses.push_back(*p);
    }
    return presses;
}

} // namespace

bool FakeInput::pressTogether(const std::vector<std::uint32_t>& keysyms)
{
    const auto presses = pressesIn(*m_c, keysyms, m_c->layout());
    return presses && m_c->press(*presses) && m_c->flushed();
}

bool FakeInput::pressEach(const std::vector<std::uint32_t>& keysyms)
{
    const auto presses = pressesIn(*m_c, keysyms, m_c->layout());
    if (!presses)
        return false;
    for (const Press& p : *presses)
        m_c->press({p});
    return m_c->flushed();
}

} // namespace automation::kwin
