#pragma once

// A scripted e-mail program for the window tests: a compose window of one of
// the kinds, with the menus and dialogs that kind's keys reach.

#include "Form6.h"
#include "scripted/ScriptedAutomation.h"

#include <QString>
#include <QStringList>

class FakeMailer
{
public:
    using Key = automation::KeyStroke;
    using W = automation::WindowHandle;

    FakeMailer(automation::ScriptedAutomation& a, vardane::ComposeKind kind) : m_a(a), m_kind(kind)
    {
        // The kinds after the first three are known by class and role only;
        // their titles carry the subject.
        static const char* titles[] = {
            "Netscape - [Message Composition]", "Composition", "New Message",
            "Write: Hello - Thunderbird",       "Hello",       "Hello - Compose message"};
        static const Names names[] = {{},
                                      {},
                                      {},
                                      {"Msgcompose", "thunderbird-default", "Msgcompose"},
                                      {"evolution", "Evolution", "EMsgComposer-5"},
                                      {"claws-mail", "Claws-mail", "compose"}};
        compose = world().open(titles[static_cast<int>(kind)]);
        m_names = names[static_cast<int>(kind)];
        name(compose);
        world().window(compose)->onKey = [this](const Key& k) { composeKey(k); };
    }

    automation::ScriptedWindowSystem& world() { return m_a.world(); }
    const char* fileDialogTitle() const
    {
        return m_kind == vardane::ComposeKind::NewMessage ? "Insert Attachment"
                                                          : "Enter file to attach";
    }
    // The user closes the file dialog without attaching.
    void cancelFileDialog()
    {
        world().close(fileDialog);
        fileDialog = 0;
        cancelled = true;
    }

    bool autoAccept = true; // Enter in the file dialog attaches the typed path
    std::uint32_t pid = 0;  // its process, as its windows tell it (0: they do not)
    W compose = 0, attachments = 0, fileDialog = 0;
    QString typed;
    QStringList attached;
    bool cancelled = false;
    bool location = false;

private:
    struct Names
    {
        const char *instance = "", *className = "", *role = "";
    };
    bool byClass() const { return *m_names.className != 0; }
    void name(W window)
    {
        auto* w = world().window(window);
        w->instance = m_names.instance;
        w->className = m_names.className;
        w->role = window == compose ? m_names.role : "";
        w->pid = pid;
    }
    static bool is(const Key& k, char32_t upper)
    {
        return k.kind == Key::Kind::Character && (k.ch == upper || k.ch == upper - U'A' + U'a');
    }
    void openFileDialog(W owner)
    {
        const bool dialog = m_kind == vardane::ComposeKind::Netscape || byClass();
        fileDialog = world().open(byClass() ? "Attach File(s)" : fileDialogTitle(), dialog, owner);
        name(fileDialog);
        world().window(fileDialog)->onKey = [this](const Key& k) { fileKey(k); };
    }
    void composeKey(const Key& k)
    {
        m_keys.push_back(k);
        using K = Key::Kind;
        const std::vector<Key> netscape{{K::AltChord, U'f'}, {K::Character, U'F'}};
        const std::vector<Key> composition{{K::AltChord, U'f'},
                                           {K::Character, U'T'},
                                           {K::Character, U'T'},
                                           {K::Enter, 0},
                                           {K::Enter, 0}};
        const std::vector<Key> newMessage{{K::AltChord, U'i'}, {K::Character, U'A'}};
        const auto endsWith = [&](const std::vector<Key>& seq) {
            return m_keys.size() >= seq.size() &&
                   std::equal(seq.begin(), seq.end(), m_keys.end() - long(seq.size()));
        };
        switch (m_kind) {
        case vardane::ComposeKind::Netscape:
            if (endsWith(netscape)) {
                attachments = world().open("Attachments", true, compose);
                world().window(attachments)->onKey = [this](const Key& k) {
                    if (is(k, U'F'))
                        openFileDialog(attachments);
                    else if (k.kind == Key::Kind::Enter) {
                        world().close(attachments);
                        attachments = 0;
                    }
                };
            }
            break;
        case vardane::ComposeKind::Composition:
            if (endsWith(composition))
                openFileDialog(compose);
            break;
        case vardane::ComposeKind::NewMessage:
            if (endsWith(newMessage))
                openFileDialog(compose);
            break;
        default: // their attach chords
            if (k.kind == K::Chord && (k.ch == U'm' || (k.ch == U'a' && k.modifiers & Key::Shift)))
                openFileDialog(compose);
            break;
        }
    }
    void fileKey(const Key& k)
    {
        // A file chooser takes a typed path only in its location field, which
        // "/" opens; select-all there lets the path replace what "/" left.
        if (byClass() && !location && k.kind == Key::Kind::Character && k.ch == U'/')
            location = true;
        else if (location && k.kind == Key::Kind::Chord && k.ch == U'a')
            typed.clear();
        else if (k.kind == Key::Kind::Character && (location || !byClass()))
            typed += QString::fromUcs4(&k.ch, 1);
        else if (k.kind == Key::Kind::Enter && autoAccept) {
            attached << typed;
            world().close(fileDialog);
            fileDialog = 0;
        }
    }

    automation::ScriptedAutomation& m_a;
    vardane::ComposeKind m_kind;
    std::vector<Key> m_keys;
    Names m_names;
};
