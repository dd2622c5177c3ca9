#pragma once

// The stand-in sound recorder's main window, "Sound - Sound Recorder".
//
// File menu (Alt+F): Properties (P), Save As... (A), Exit (X). Buttons Record,
// Stop, Play. Pause/Break stops a recording. There is no microphone: Record
// "records" a short synthesised sound (see SoundFile.h), in the format chosen
// in "Sound Selection" (PCM until another is chosen).

#include <QMainWindow>
#include <QPointer>

#include "RecorderDialogs.h"
#include "SoundFile.h"

class QLabel;
class QPushButton;

namespace recorder {

struct RecorderOptions
{
    bool autoRecord = false; // start recording as soon as the window is shown
    QString folder;          // where the Save As dialog starts; relative names are taken from here

    // STANDIN_RECORDER_AUTORECORD=1 and the current folder.
    static RecorderOptions fromEnvironment();
};

class RecorderWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit RecorderWindow(const RecorderOptions& options = {}, QWidget* parent = nullptr);

    bool isRecording() const { return m_recording; }
    bool hasRecording() const { return m_hasSound; }
    bool isModified() const { return m_modified; }
    const SoundFormat& format() const;

    PropertiesDialog* propertiesDialog() const { return m_properties; }
    SoundSelectionDialog* selectionDialog() const { return m_selection; }
    SaveAsDialog* saveAsDialog() const { return m_saveAs; }
    SaveChangesQuestion* question() const { return m_question; }

public slots:
    void record();
    void stop();
    void play();
    void openProperties();
    void openSaveAs();
    void exitProgram(); // asks first when the recording is not saved

signals:
    // The recorder is done; the program ends.
    void exitRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void openSelection();
    void saveRequested(const QString& typedName);
    void questionAnswered(int answer);
    void leave();
    void updateStatus();
    QString formatText() const;
    QString lengthText() const;

    RecorderOptions m_options;
    qsizetype m_format = 0;
    bool m_recording = false;
    bool m_hasSound = false;
    bool m_modified = false;
    bool m_leaving = false;
    bool m_leaveAfterSave = false;
    bool m_autoRecordDone = false;

    QLabel* m_status = nullptr;
    QLabel* m_formatLabel = nullptr;
    QPushButton* m_record = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_play = nullptr;
    QPointer<PropertiesDialog> m_properties;
    QPointer<SoundSelectionDialog> m_selection;
    QPointer<SaveAsDialog> m_saveAs;
    QPointer<SaveChangesQuestion> m_question;
};

} // namespace recorder
