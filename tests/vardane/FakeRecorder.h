#pragma once

// A scripted sound recorder for the window tests: the windows, titles and key
// reactions the wizard relies on, played in the scripted window system.

#include "scripted/ScriptedAutomation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QString>

class FakeRecorder
{
public:
    using Key = automation::KeyStroke;
    using W = automation::WindowHandle;

    explicit FakeRecorder(automation::ScriptedAutomation& a) : m_a(a) {}

    // Makes StartProgram("Sndrec32.exe") start this recorder.
    void installAsProgram()
    {
        m_a.onStartProgram = [this](const QString& name) -> qint64 {
            if (name != QLatin1String("Sndrec32.exe"))
                return 0;
            if (!main)
                start();
            return 4242;
        };
    }

    void start()
    {
        main = m_a.world().open("Sound - Sound Recorder");
        m_a.world().window(main)->shown = startsShown;
        m_a.world().window(main)->onKey = [this](const Key& k) { mainKey(k); };
        recording = true;
    }

    automation::ScriptedWindowSystem& world() { return m_a.world(); }

    // Behaviour switches.
    bool startsShown = true;
    bool writesFile = true;

    // What happened.
    W main = 0, properties = 0, selection = 0, saveAs = 0, question = 0;
    bool recording = false;
    bool stopped = false;
    bool compressed = false;
    bool exited = false;
    QString typed;
    QString savedPath;

private:
    static bool isChar(const Key& k, char32_t c)
    {
        return k.kind == Key::Kind::Character && (k.ch == c || k.ch == c - U'A' + U'a');
    }
    W open(const char* title, W owner, std::function<void(const Key&)> onKey)
    {
        const W id = world().open(title, true, owner);
        world().window(id)->onKey = std::move(onKey);
        return id;
    }

    void mainKey(const Key& k)
    {
        if (k.kind == Key::Kind::AltChord && k.ch == U'f') {
            m_menu = true;
            return;
        }
        if (k.kind == Key::Kind::Break) {
            recording = false;
            stopped = true;
        }
        if (!m_menu)
            return;
        m_menu = false;
        if (isChar(k, U'P'))
            properties =
                open("Properties for Sound", main, [this](const Key& k) { propertiesKey(k); });
        else if (isChar(k, U'A'))
            saveAs = open("Save As", main, [this](const Key& k) { saveAsKey(k); });
        else if (isChar(k, U'X')) {
            if (savedPath.isEmpty())
                question = open("Sound Recorder", main, [this](const Key& k) { questionKey(k); });
            else
                exit();
        }
    }
    void propertiesKey(const Key& k)
    {
        if (k.kind == Key::Kind::AltChord && k.ch == U'c')
            selection =
                open("Sound Selection", properties, [this](const Key& k) { selectionKey(k); });
        else if (k.kind == Key::Kind::Enter) {
            world().close(properties);
            properties = 0;
        }
    }
    void selectionKey(const Key& k)
    {
        m_selectionKeys.push_back(k);
        if (k.kind != Key::Kind::Enter)
            return;
        using K = Key::Kind;
        const std::vector<Key> expected{{K::Tab, 0}, {K::Tab, 0}, {K::Character, U'G'},
                                        {K::Tab, 0}, {K::Tab, 0}, {K::Enter, 0}};
        compressed = m_selectionKeys == expected;
        world().close(selection);
        selection = 0;
    }
    void saveAsKey(const Key& k)
    {
        if (k.kind == Key::Kind::Character) {
            typed += QString::fromUcs4(&k.ch, 1);
            return;
        }
        if (k.kind == Key::Kind::Tab) {
            ++m_tabs;
            return;
        }
        if (k.kind == Key::Kind::Enter && m_tabs == 2) {
            if (!QFileInfo(QFileInfo(typed).absolutePath()).isDir())
                return; // the real one says the folder is missing and stays open
            if (writesFile) {
                QFile f(typed);
                if (f.open(QIODevice::WriteOnly))
                    f.write("RIFF....WAVE");
            }
            savedPath = typed;
            world().close(saveAs);
            saveAs = 0;
        }
    }
    void questionKey(const Key& k)
    {
        if (k.kind == Key::Kind::Tab)
            m_noSelected = true;
        else if (k.kind == Key::Kind::Enter && m_noSelected) {
            world().close(question);
            question = 0;
            exit();
        }
    }
    void exit()
    {
        exited = true;
        for (W w : {question, saveAs, selection, properties, main})
            if (w)
                world().close(w);
        main = properties = selection = saveAs = question = 0;
    }

    automation::ScriptedAutomation& m_a;
    bool m_menu = false;
    bool m_noSelected = false;
    int m_tabs = 0;
    std::vector<Key> m_selectionKeys;
};
