#include "RecorderWindow.h"

#include "ClassicMenu.h"
#include "RecorderDialogs.h"
#include "StandinApplication.h"
#include "StandinLog.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace recorder {

using standin::log;

RecorderOptions RecorderOptions::fromEnvironment()
{
    RecorderOptions options;
    const QString autoRecord = qEnvironmentVariable("STANDIN_RECORDER_AUTORECORD");
    options.autoRecord = !autoRecord.isEmpty() && autoRecord != QLatin1String("0");
    options.folder = QDir::currentPath();
    return options;
}

RecorderWindow::RecorderWindow(const RecorderOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options)
{
    if (m_options.folder.isEmpty())
        m_options.folder = QDir::currentPath();
    setObjectName(QStringLiteral("RecorderWindow"));
    setWindowTitle(QStringLiteral("Sound - Sound Recorder"));

    auto* file = new standin::ClassicMenu(QStringLiteral("&File"), this);
    menuBar()->addMenu(file);
    file->addAction(QStringLiteral("&Properties"), this, &RecorderWindow::openProperties);
    file->addAction(QStringLiteral("Save &As..."), this, &RecorderWindow::openSaveAs);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &RecorderWindow::exitProgram);

    auto* central = new QWidget(this);
    m_status = new QLabel(central);
    m_status->setObjectName(QStringLiteral("Status"));
    m_formatLabel = new QLabel(central);
    m_formatLabel->setObjectName(QStringLiteral("FormatLabel"));
    m_record = new QPushButton(QStringLiteral("Record"), central);
    m_stop = new QPushButton(QStringLiteral("Stop"), central);
    m_play = new QPushButton(QStringLiteral("Play"), central);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* b : {m_record, m_stop, m_play}) {
        b->setObjectName(b->text());
        // The buttons are for the mouse: keys go to the window (Pause/Break,
        // and Enter keys that must do nothing).
        b->setFocusPolicy(Qt::NoFocus);
        buttons->addWidget(b);
    }
    auto* layout = new QVBoxLayout(central);
    layout->addWidget(m_status);
    layout->addWidget(m_formatLabel);
    layout->addLayout(buttons);
    setCentralWidget(central);
    resize(380, 150);

    connect(m_record, &QPushButton::clicked, this, &RecorderWindow::record);
    connect(m_stop, &QPushButton::clicked, this, &RecorderWindow::stop);
    connect(m_play, &QPushButton::clicked, this, &RecorderWindow::play);
    updateStatus();
}

const SoundFormat& RecorderWindow::format() const
{
    return soundFormats().at(m_format);
}

QString RecorderWindow::formatText() const
{
    return format().name + QStringLiteral(", ") + format().attributes;
}

QString RecorderWindow::lengthText() const
{
    return QStringLiteral("%1 sec.").arg(m_hasSound ? RecordingSeconds : 0.0, 0, 'f', 2);
}

void RecorderWindow::updateStatus()
{
    if (m_recording)
        m_status->setText(QStringLiteral("Recording..."));
    else
        m_status->setText(QStringLiteral("Stopped. Length: ") + lengthText());
    m_formatLabel->setText(QStringLiteral("Format: ") + formatText());
    m_record->setEnabled(!m_recording);
    m_stop->setEnabled(m_recording);
    m_play->setEnabled(m_hasSound && !m_recording);
}

void RecorderWindow::record()
{
    if (m_recording)
        return;
    m_recording = true;
    m_hasSound = true;
    m_modified = true;
    log({QStringLiteral("record"), QStringLiteral("start")});
    updateStatus();
}

void RecorderWindow::stop()
{
    if (!m_recording)
        return;
    m_recording = false;
    log({QStringLiteral("record"), QStringLiteral("stop")});
    updateStatus();
}

void RecorderWindow::play()
{
    if (!m_hasSound || m_recording)
        return;
    // No sound device is assumed: playing only shows that it would happen.
    log({QStringLiteral("play"), lengthText()});
}

void RecorderWindow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Pause) {
        stop();
        event->accept();
        return;
    }
    QMainWindow::keyPressEvent(event);
}

void RecorderWindow::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (m_options.autoRecord && !m_autoRecordDone) {
        m_autoRecordDone = true;
        QTimer::singleShot(0, this, &RecorderWindow::record);
    }
}

void RecorderWindow::closeEvent(QCloseEvent* event)
{
    if (m_leaving) {
        event->accept();
        return;
    }
    event->ignore();
    exitProgram();
}

void RecorderWindow::openProperties()
{
    if (m_properties) {
        m_properties->activateWindow();
        return;
    }
    m_properties = new PropertiesDialog(this, formatText(), lengthText());
    m_properties->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_properties, &PropertiesDialog::convertRequested, this,
            &RecorderWindow::openSelection);
    connect(m_properties, &QDialog::finished, this, [this](int result) {
        m_properties = nullptr;
        log({QStringLiteral("closed"), QStringLiteral("Properties for Sound"),
             result == QDialog::Accepted ? QStringLiteral("OK") : QStringLiteral("Cancel")});
    });
    m_properties->show();
}

void RecorderWindow::openSelection()
{
    if (m_selection) {
        m_selection->activateWindow();
        return;
    }
    if (!m_properties)
        return;
    m_selection = new SoundSelectionDialog(m_properties, m_format);
    m_selection->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_selection, &QDialog::finished, this, [this](int result) {
        const qsizetype chosen = m_selection ? m_selection->chosenFormat() : m_format;
        m_selection = nullptr;
        const bool ok = result == QDialog::Accepted;
        log({QStringLiteral("closed"), QStringLiteral("Sound Selection"),
             ok ? QStringLiteral("OK") : QStringLiteral("Cancel")});
        if (ok) {
            // The choice applies to the sound from now on, recorded or not yet.
            m_format = chosen;
            log({QStringLiteral("format"), format().name, format().token});
            updateStatus();
        }
        if (m_properties) {
            m_properties->setFormatText(formatText());
            m_properties->focusDefaultButton();
        }
    });
    m_selection->show();
}

void RecorderWindow::openSaveAs()
{
    if (m_saveAs) {
        m_saveAs->activateWindow();
        return;
    }
    m_saveAs = new SaveAsDialog(this, m_options.folder);
    m_saveAs->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_saveAs, &SaveAsDialog::saveRequested, this, &RecorderWindow::saveRequested);
    connect(m_saveAs, &QDialog::finished, this, [this](int result) {
        m_saveAs = nullptr;
        const bool saved = result == QDialog::Accepted;
        log({QStringLiteral("closed"), QStringLiteral("Save As"),
             saved ? QStringLiteral("Save") : QStringLiteral("Cancel")});
        if (!saved)
            m_leaveAfterSave = false; // leaving was given up with the save
    });
    m_saveAs->show();
}

void RecorderWindow::saveRequested(const QString& typedName)
{
    log({QStringLiteral("typed"), typedName});
    if (typedName.isEmpty())
        return; // as in the desktop's own file dialogs: nothing happens
    QString path = QDir(m_options.folder).absoluteFilePath(typedName);
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wav");
    const QFileInfo target(path);

    auto refuse = [this, &path](const QString& reason, const QString& advice) {
        log({QStringLiteral("save-error"), path, reason});
        auto* box = new standin::StandinMessageBox(
            QMessageBox::Warning, QStringLiteral("Sound Recorder"),
            path + QLatin1Char('\n') + advice, QMessageBox::Ok, m_saveAs);
        box->setObjectName(QStringLiteral("SaveError"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(true);
        box->show();
    };
    if (!QFileInfo(target.absolutePath()).isDir()) {
        refuse(QStringLiteral("folder does not exist"),
               QStringLiteral("The folder does not exist.\nCheck the path and try again."));
        return;
    }
    if (target.isDir()) {
        refuse(QStringLiteral("is a folder"),
               QStringLiteral("This is the name of a folder.\nType the name of a file."));
        return;
    }

    stop();
    // A real recorder would ask before replacing a file; this one replaces it
    // and says so in the log.
    if (target.exists())
        log({QStringLiteral("overwrite"), path});
    const std::vector<float> samples =
        m_hasSound ? synthesizeRecording(format().sampleRate) : std::vector<float>{};
    const QString error = writeWav(path, format(), samples);
    if (!error.isEmpty()) {
        refuse(error, QStringLiteral("The file could not be written:\n") + error);
        return;
    }
    log({QStringLiteral("saved"), path, format().token});
    m_modified = false;
    if (m_saveAs)
        m_saveAs->finishSaved();
    if (m_leaveAfterSave)
        leave();
}

void RecorderWindow::exitProgram()
{
    if (m_question) {
        m_question->activateWindow();
        return;
    }
    if (!m_modified) {
        leave();
        return;
    }
    m_question = new SaveChangesQuestion(this);
    m_question->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_question, &QDialog::finished, this, [this] {
        SaveChangesQuestion* question = m_question;
        m_question = nullptr;
        if (question)
            questionAnswered(question->standardButton(question->clickedButton()));
    });
    m_question->show();
}

void RecorderWindow::questionAnswered(int answer)
{
    switch (answer) {
    case QMessageBox::Yes:
        log({QStringLiteral("question"), QStringLiteral("Yes")});
        m_leaveAfterSave = true;
        openSaveAs();
        break;
    case QMessageBox::No:
        log({QStringLiteral("question"), QStringLiteral("No")});
        leave();
        break;
    default:
        log({QStringLiteral("question"), QStringLiteral("Cancel")});
        break;
    }
}

void RecorderWindow::leave()
{
    if (m_leaving)
        return;
    m_leaving = true;
    log({QStringLiteral("exit")});
    close();
    emit exitRequested();
}

} // namespace recorder
