#pragma once

// A scripted e-mail program for the window tests: a compose window of one of
// the three kinds, with the menus and dialogs that kind's keys reach.

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
        static const char* titles[] = {"Netscape - [Message Composition]", "Composition",
                                       "New Message"};
        compose = world().open(titles[static_cast<int>(kind)]);
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
    W compose = 0, attachments = 0, fileDialog = 0;
    QString typed;
    QStringList attached;
    bool cancelled = false;

private:
    static bool is(const Key& k, char32_t upper)
    {
        return k.kind == Key::Kind::Character && (k.ch == upper || k.ch == upper - U'A' + U'a');
    }
    void openFileDialog(W owner)
    {
        const bool dialog = m_kind == vardane::ComposeKind::Netscape;
        fileDialog = world().open(fileDialogTitle(), dialog, owner);
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
        }
    }
    void fileKey(const Key& k)
    {
        if (k.kind == Key::Kind::Character)
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
};
