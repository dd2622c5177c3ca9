#pragma once

// The sound recorder's main window, "Sound - Sound Recorder" ("NAME - Sound
// Recorder" once the sound has been saved as or opened from a file NAME).
//
// File menu (Alt+F): New (N), Open... (O), Save (S), Save As... (A),
// Properties (P), Exit (X). Buttons Record, Stop, Play; they take no focus,
// so keys go to the window, where Pause/Break stops a recording. A recording
// goes on from the end of the sound there is; it is kept in a temporary file
// and converted to the format chosen in "Sound Selection" when it is saved.

#include <QMainWindow>
#include <QPointer>

#include <QElapsedTimer>
#include <QTimer>

#include <functional>
#include <memory>

#include "PropertiesDialog.h"
#include "SaveAsDialog.h"
#include "SaveChangesQuestion.h"
#include "SoundFile.h"
#include "SoundSelectionDialog.h"

class QLabel;
class QMessageBox;
class QPushButton;

namespace recorder {

class LevelMeter;
class SoundInput;
class SoundOutput;

struct RecorderOptions
{
    bool autoRecord = false; // press Record as soon as the window is shown
    QString folder;          // where the file dialogs start; relative names are taken from here
    // Once shown, offer the sounds that recorders which did not end left behind. For a person;
    // a program that drives the recorder with keys expects nothing but the recorder's windows.
    bool offerLeftSounds = false;
    // Open clear of the voice wizard's instructions window, which the wizard shows beside the
    // recorder and keeps above other windows while the user records.
    bool clearOfInstructions = false;
    // TINDREL_RECORDER_AUTORECORD (any value but empty or 0) and the current folder; left
    // sounds are offered unless the program runs under the name the voice wizard starts, or
    // records by itself; under that name it opens clear of the wizard's instructions.
    static RecorderOptions fromEnvironment(const QString& programName);
};

class RecorderWindow : public QMainWindow
{
    Q_OBJECT
public:
    explicit RecorderWindow(const RecorderOptions& options = {}, QWidget* parent = nullptr);
    ~RecorderWindow() override;

    bool isRecording() const;
    bool isPlaying() const;
    bool hasRecording() const { return seconds() > 0; }
    bool isModified() const { return m_modified; }
    double seconds() const; // the length of the sound
    const SoundFormat& format() const;
    QString soundName() const { return m_name; }

    PropertiesDialog* propertiesDialog() const { return m_properties; }
    SoundSelectionDialog* selectionDialog() const { return m_selection; }
    SaveAsDialog* saveAsDialog() const { return m_saveAs; }
    SaveChangesQuestion* question() const { return m_question; }
    // The message on show, if any.
    QMessageBox* message() const { return m_message; }
    // The question about a sound left behind, while it is asked.
    QMessageBox* leftSoundQuestion() const { return m_leftQuestion; }

public slots:
    void record();
    void stop();
    void play();
    void newSound();
    void openFile(const QString& path);
    void openProperties();
    void openSaveAs();
    void save();
    void exitProgram(); // asks first when the sound is not saved
    // Asks about each sound that recorders which did not end left behind, the newest first:
    // open it as a new, unsaved sound, delete it, or keep it for later.
    void offerLeftSounds();

signals:
    // The recorder is done; the program ends.
    void exitRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Moves the window clear of the wizard's instructions window, its frame and that window's
    // taken to be `frame` around the client area. Once `framed` (the real frame), only if the
    // two overlap, and smaller if need be.
    void placeClearOfInstructions(const QMargins& frame, bool framed);
    void chooseFileToOpen();
    void openSelection();
    void saveRequested(const QString& typedName);
    bool saveTo(const QString& path, QWidget* messageOwner);
    void askToSave(std::function<void()> then);
    void questionAnswered(int answer);
    void leave();
    void recordingLost(const QString& reason);
    void firstCaptured();
    void captured();
    void playingEnded(const QString& reason);
    void offerNextLeftSound();
    void leftSoundAnswered(const LeftSound& left, bool open, bool discard);
    void showMessage(const QString& text, QWidget* owner = nullptr);
    void setSoundName(const QString& name);
    void updateStatus();
    QString formatText() const;
    QString lengthText() const;

    RecorderOptions m_options;
    qsizetype m_format = 0;
    std::unique_ptr<WorkingSound> m_sound;
    QString m_name;
    QString m_filePath; // where Save writes, once the sound has a file
    bool m_modified = false;
    bool m_leaving = false;
    bool m_autoRecordDone = false;
    bool m_leftSoundsOffered = false;
    bool m_placed = false;             // placed clear of the instructions, and checked once framed
    std::function<void()> m_afterSave; // what waits for the sound to be saved
    std::function<void()> m_afterQuestion;

    SoundInput* m_input = nullptr;
    SoundOutput* m_output = nullptr;
    QElapsedTimer m_recordClock;  // since Record was pressed
    QElapsedTimer m_displayClock; // since the display was last brought up to date
    QTimer m_playClock;           // runs only while playing

    QLabel* m_status = nullptr;
    QLabel* m_position = nullptr;
    QLabel* m_formatLabel = nullptr;
    LevelMeter* m_meter = nullptr;
    QPushButton* m_record = nullptr;
    QPushButton* m_stop = nullptr;
    QPushButton* m_play = nullptr;
    QPointer<PropertiesDialog> m_properties;
    QPointer<SoundSelectionDialog> m_selection;
    QPointer<SaveAsDialog> m_saveAs;
    QPointer<SaveChangesQuestion> m_question;
    QPointer<QMessageBox> m_message;
    QPointer<QMessageBox> m_leftQuestion;
    QList<LeftSound> m_leftSounds; // still to be asked about
};

} // namespace recorder
