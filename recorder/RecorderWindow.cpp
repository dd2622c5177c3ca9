#include "RecorderWindow.h"

#include "ClassicApplication.h"
#include "ClassicMenu.h"
#include "EventLog.h"
#include "LevelMeter.h"
#include "SoundDevices.h"
#include "WindowPlaces.h"
#include "targets/Recorder.h"

#include <QCloseEvent>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenuBar>
#include <QPainter>
#include <QPainterPath>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>

namespace recorder {

using classic::log;

namespace {

const QString Untitled = QStringLiteral("Sound");
const QString TitleEnd = QStringLiteral(" - Sound Recorder");

// A new recording is kept at the highest rate of the formats it may be saved in.
constexpr int RecordingRate = 44100;
// While recording, the display is brought up to date at most this often.
constexpr qint64 DisplayMs = 100;
constexpr int PlayDisplayMs = 100;

QString seconds(double s)
{
    return QStringLiteral("%1 sec.").arg(s, 0, 'f', 2);
}

enum class ButtonMark { Record, Stop, Play };

// The marks people know from every recorder: a red dot, a black square and a
// black triangle (the wizard's instructions name them by their colours).
QIcon buttonIcon(ButtonMark mark)
{
    QPixmap pixmap(32, 32);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    switch (mark) {
    case ButtonMark::Record:
        p.setBrush(QColor(0xd0, 0x10, 0x10));
        p.drawEllipse(QRectF(5, 5, 22, 22));
        break;
    case ButtonMark::Stop:
        p.setBrush(Qt::black);
        p.drawRect(QRectF(7, 7, 18, 18));
        break;
    case ButtonMark::Play: {
        QPainterPath triangle;
        triangle.moveTo(8, 5);
        triangle.lineTo(27, 16);
        triangle.lineTo(8, 27);
        triangle.closeSubpath();
        p.fillPath(triangle, Qt::black);
        break;
    }
    }
    return QIcon(pixmap);
}

// The voice wizard's instructions window: its client size and its place down the screen.
constexpr QSize InstructionsSize(targets::recorder::InstructionsWidth,
                                 targets::recorder::InstructionsHeight);
constexpr double InstructionsDivisor = targets::recorder::InstructionsDivisor;
// Between the recorder and the instructions; also absorbs small differences between the
// frames of the two programs' windows.
constexpr int InstructionsGap = 12;
// The frame expected before the window manager has framed the window: larger than most, so
// that the place found with it is clear with the real frame too.
constexpr QMargins ExpectedFrame(8, 40, 8, 8);

QRect instructionsFrame(const QRect& screen, const QMargins& frame)
{
    const QSize outer = InstructionsSize.grownBy(frame);
    const int left = static_cast<int>((screen.width() - outer.width()) / 2.0);
    const int top = static_cast<int>((screen.height() - outer.height()) / InstructionsDivisor);
    return QRect(screen.topLeft() + QPoint(left, top), outer);
}

// Where a window of the given outer size goes inside area: above avoid, else below it, else to
// its left, else to its right, centred on it as far as the area allows; null when none of
// these is clear of it. With `anyway`, the place above it is taken whether clear or not.
QRect placeClearOf(const QRect& area, const QRect& avoid, const QSize& outer, bool anyway = false)
{
    if (outer.width() > area.width() || outer.height() > area.height())
        return anyway ? QRect(area.topLeft(), outer) : QRect();
    const QPoint centre = avoid.center();
    const int across = centre.x() - outer.width() / 2;
    const int down = centre.y() - outer.height() / 2;
    for (const QPoint at : {QPoint(across, avoid.top() - InstructionsGap - outer.height()),
                            QPoint(across, avoid.bottom() + 1 + InstructionsGap),
                            QPoint(avoid.left() - InstructionsGap - outer.width(), down),
                            QPoint(avoid.right() + 1 + InstructionsGap, down)}) {
        QRect r(at, outer);
        r.moveLeft(std::clamp(r.left(), area.left(), area.right() + 1 - r.width()));
        r.moveTop(std::clamp(r.top(), area.top(), area.bottom() + 1 - r.height()));
        if (!r.intersects(avoid) || anyway)
            return r;
    }
    return {};
}

} // namespace

RecorderOptions RecorderOptions::fromEnvironment(const QString& programName)
{
    RecorderOptions options;
    const QString autoRecord = qEnvironmentVariable("TINDREL_RECORDER_AUTORECORD");
    options.autoRecord = !autoRecord.isEmpty() && autoRecord != QLatin1String("0");
    options.folder = QDir::currentPath();
    const bool byWizard =
        QFileInfo(programName).fileName().toStdString() == targets::recorder::Program;
    options.offerLeftSounds = !options.autoRecord && !byWizard;
    options.clearOfInstructions = byWizard;
    return options;
}

RecorderWindow::RecorderWindow(const RecorderOptions& options, QWidget* parent)
    : QMainWindow(parent), m_options(options), m_format(defaultFormat())
{
    if (m_options.folder.isEmpty())
        m_options.folder = QDir::currentPath();
    setObjectName(QStringLiteral("RecorderWindow"));
    setWindowIcon(QIcon::fromTheme(QStringLiteral("org.tindrel.SoundRecorder")));
    setSoundName(Untitled);

    auto* file = new classic::ClassicMenu(QStringLiteral("&File"), this);
    menuBar()->addMenu(file);
    file->addAction(QStringLiteral("&New"), this, &RecorderWindow::newSound);
    file->addAction(QStringLiteral("&Open..."), this, &RecorderWindow::chooseFileToOpen);
    file->addAction(QStringLiteral("&Save"), this, &RecorderWindow::save);
    file->addAction(QStringLiteral("Save &As..."), this, &RecorderWindow::openSaveAs);
    file->addSeparator();
    file->addAction(QStringLiteral("&Properties"), this, &RecorderWindow::openProperties);
    file->addSeparator();
    file->addAction(QStringLiteral("E&xit"), this, &RecorderWindow::exitProgram);

    auto* central = new QWidget(this);
    m_status = new QLabel(central);
    m_status->setObjectName(QStringLiteral("Status"));
    m_position = new QLabel(central);
    m_position->setObjectName(QStringLiteral("Position"));
    m_meter = new LevelMeter(central);
    m_formatLabel = new QLabel(central);
    m_formatLabel->setObjectName(QStringLiteral("FormatLabel"));
    m_record = new QPushButton(buttonIcon(ButtonMark::Record), QStringLiteral("Record"), central);
    m_stop = new QPushButton(buttonIcon(ButtonMark::Stop), QStringLiteral("Stop"), central);
    m_play = new QPushButton(buttonIcon(ButtonMark::Play), QStringLiteral("Play"), central);
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
    layout->addWidget(m_position);
    layout->addWidget(m_meter);
    layout->addWidget(m_formatLabel);
    layout->addLayout(buttons);
    setCentralWidget(central);
    resize(400, 190);
    // sway tiles every window that is neither a dialog nor of a fixed size,
    // however narrow the tile: there this one is of a fixed size, so that it
    // floats whole, every button of it on the screen.
    if (session::tilingCompositor())
        setFixedSize(size().expandedTo(minimumSizeHint()));

    m_input = new SoundInput(this);
    m_output = new SoundOutput(this);
    connect(m_input, &SoundInput::firstCaptured, this, &RecorderWindow::firstCaptured);
    connect(m_input, &SoundInput::captured, this, &RecorderWindow::captured);
    connect(m_input, &SoundInput::lost, this, &RecorderWindow::recordingLost);
    connect(m_output, &SoundOutput::finished, this, &RecorderWindow::playingEnded);
    m_playClock.setInterval(PlayDisplayMs);
    connect(&m_playClock, &QTimer::timeout, this, &RecorderWindow::updateStatus);

    connect(m_record, &QPushButton::clicked, this, &RecorderWindow::record);
    connect(m_stop, &QPushButton::clicked, this, &RecorderWindow::stop);
    connect(m_play, &QPushButton::clicked, this, &RecorderWindow::play);
    updateStatus();
}

RecorderWindow::~RecorderWindow()
{
    // Sound stops before the window goes, and tells it nothing.
    m_input->disconnect(this);
    m_output->disconnect(this);
    delete m_input;
    delete m_output;
}

bool RecorderWindow::isRecording() const
{
    return m_input->isRunning();
}

bool RecorderWindow::isPlaying() const
{
    return m_output->isRunning();
}

double RecorderWindow::seconds() const
{
    return m_sound ? m_sound->seconds() : 0;
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
    return recorder::seconds(seconds());
}

void RecorderWindow::setSoundName(const QString& name)
{
    m_name = name;
    setWindowTitle(name + TitleEnd);
}

void RecorderWindow::updateStatus()
{
    const bool recording = isRecording();
    const bool playing = isPlaying();
    m_status->setText(recording ? QStringLiteral("Recording...")
                      : playing ? QStringLiteral("Playing...")
                                : QStringLiteral("Stopped."));
    const double at = playing ? m_output->position() : seconds();
    m_position->setText(
        QStringLiteral("Position: %1    Length: %2").arg(recorder::seconds(at), lengthText()));
    m_meter->setLevel(recording ? m_input->level() : 0);
    m_formatLabel->setText(QStringLiteral("Format: ") + formatText());
    m_record->setEnabled(!recording);
    m_stop->setEnabled(recording || playing);
    m_play->setEnabled(hasRecording() && !recording);
    m_displayClock.start();
}

void RecorderWindow::showMessage(const QString& text, QWidget* owner)
{
    if (!owner) {
        owner = QApplication::activeModalWidget();
        if (!owner || owner->window() == m_message)
            owner = this;
    }
    if (m_message)
        m_message->close();
    auto* box = new classic::ClassicMessageBox(
        QMessageBox::Warning, QStringLiteral("Sound Recorder"), text, QMessageBox::Ok, owner);
    box->setObjectName(QStringLiteral("RecorderMessage"));
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(true);
    m_message = box;
    box->show();
}

void RecorderWindow::record()
{
    if (isRecording())
        return;
    m_output->stop();
    QString why;
    std::unique_ptr<WorkingSound> fresh;
    if (!m_sound) {
        fresh = std::make_unique<WorkingSound>();
        if (!fresh->create(RecordingRate, &why))
            why = QStringLiteral("no temporary file could be made for it (%1)").arg(why);
    }
    if (why.isEmpty())
        why = m_input->start(fresh ? fresh.get() : m_sound.get());
    if (!why.isEmpty()) {
        log({QStringLiteral("record"), QStringLiteral("failed"), why});
        showMessage(QStringLiteral("Sound Recorder cannot record: %1.\n\n%2")
                        .arg(why, soundServerFound()
                                      ? QStringLiteral("Check that a microphone is connected and "
                                                       "switched on, then click Record again.")
                                      : QStringLiteral("Start the sound server (or check its "
                                                       "settings), then close Sound Recorder and "
                                                       "open it again: it finds the sound server "
                                                       "when it starts.")));
        updateStatus();
        return;
    }
    if (fresh)
        m_sound = std::move(fresh);
    m_modified = true;
    m_recordClock.start();
    log({QStringLiteral("record"), QStringLiteral("start")});
    updateStatus();
}

void RecorderWindow::firstCaptured()
{
    log({QStringLiteral("record"), QStringLiteral("captured"),
         QString::number(m_recordClock.elapsed())});
}

void RecorderWindow::captured()
{
    if (m_displayClock.elapsed() >= DisplayMs)
        updateStatus();
}

void RecorderWindow::recordingLost(const QString& reason)
{
    log({QStringLiteral("record"), QStringLiteral("lost"), reason});
    updateStatus();
    showMessage(QStringLiteral("The recording stopped: %1.\n\nWhat was recorded before that "
                               "(%2) is kept: you can play it and save it.")
                    .arg(reason, lengthText()));
}

void RecorderWindow::stop()
{
    if (isRecording()) {
        m_input->stop();
        log({QStringLiteral("record"), QStringLiteral("stop")});
    }
    m_output->stop();
    updateStatus();
}

void RecorderWindow::play()
{
    if (!hasRecording() || isRecording())
        return;
    const QString why = m_output->start(*m_sound);
    if (!why.isEmpty()) {
        log({QStringLiteral("play"), QStringLiteral("failed"), why});
        showMessage(QStringLiteral("Sound Recorder cannot play the sound: %1.").arg(why));
        return;
    }
    log({QStringLiteral("play"), lengthText()});
    m_playClock.start();
    updateStatus();
}

void RecorderWindow::playingEnded(const QString& reason)
{
    m_playClock.stop();
    updateStatus();
    if (!reason.isEmpty())
        showMessage(QStringLiteral("Playing stopped: %1.").arg(reason));
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
    // Placed before the window manager first maps it; moved again only if the frame it gets
    // makes the two overlap.
    if (m_options.clearOfInstructions && !m_placed && windowHandle()) {
        placeClearOfInstructions(ExpectedFrame, false);
        windowHandle()->installEventFilter(this);
    }
    if (m_options.autoRecord && !m_autoRecordDone) {
        m_autoRecordDone = true;
        QTimer::singleShot(0, this, &RecorderWindow::record);
    }
    if (m_options.offerLeftSounds && !m_leftSoundsOffered) {
        m_leftSoundsOffered = true;
        QTimer::singleShot(0, this, &RecorderWindow::offerLeftSounds);
    }
}

bool RecorderWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == windowHandle() && event->type() == QEvent::Expose && !m_placed &&
        windowHandle()->isExposed()) {
        m_placed = true;
        watched->removeEventFilter(this);
        const QMargins frame = windowHandle()->frameMargins();
        if (!frame.isNull())
            placeClearOfInstructions(frame, true);
    }
    return QMainWindow::eventFilter(watched, event);
}

void RecorderWindow::placeClearOfInstructions(const QMargins& frame, bool framed)
{
    const QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect instructions = instructionsFrame(screen->geometry(), frame);
    const QRect area = screen->availableGeometry();
    const QRect now(pos(), size().grownBy(frame));
    if (framed && area.contains(now) && !now.intersects(instructions))
        return;
    QRect place = placeClearOf(area, instructions, now.size());
    if (place.isNull() && framed) {
        // A small screen: as small as the window may be.
        const QSize smallest = minimumSizeHint().expandedTo(minimumSize());
        place = placeClearOf(area, instructions, smallest.grownBy(frame));
        if (!place.isNull())
            resize(smallest);
    }
    // Else at the top of the free area above them, far from the instructions in the lower part
    // of the screen (with the real frame the two may not meet there).
    if (place.isNull())
        place = placeClearOf(area, instructions, now.size(), true);
    // The position of a top-level window is that of its frame.
    move(place.topLeft());
}

void RecorderWindow::offerLeftSounds()
{
    m_leftSounds = findLeftSounds();
    offerNextLeftSound();
}

void RecorderWindow::offerNextLeftSound()
{
    if (m_leftQuestion || m_leftSounds.isEmpty())
        return;
    const LeftSound left = m_leftSounds.takeFirst();
    auto* box = new QMessageBox(
        QMessageBox::Question, QStringLiteral("Sound Recorder"),
        QStringLiteral("Sound Recorder did not end properly while it held a sound that was not "
                       "saved: %1 long, last recorded on %2.\n\n"
                       "Open it as a new sound, so that you can play it and save it?")
            .arg(recorder::seconds(left.seconds),
                 QLocale().toString(left.lastWritten, QLocale::ShortFormat)),
        QMessageBox::NoButton, this);
    box->setObjectName(QStringLiteral("LeftSoundQuestion"));
    QPushButton* open = box->addButton(QStringLiteral("&Open"), QMessageBox::AcceptRole);
    QPushButton* discard = box->addButton(QStringLiteral("&Delete"), QMessageBox::DestructiveRole);
    QPushButton* keep = box->addButton(QStringLiteral("&Keep for Later"), QMessageBox::RejectRole);
    box->setDefaultButton(open);
    box->setEscapeButton(keep);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setModal(true);
    // Escape and the close box click the Keep button.
    auto clicked = std::make_shared<const QAbstractButton*>(keep);
    connect(box, &QMessageBox::buttonClicked, this,
            [clicked](const QAbstractButton* button) { *clicked = button; });
    connect(box, &QDialog::finished, this, [this, left, clicked, open, discard] {
        leftSoundAnswered(left, *clicked == open, *clicked == discard);
    });
    m_leftQuestion = box;
    log({QStringLiteral("left"), QStringLiteral("asked"), left.path});
    box->show();
}

void RecorderWindow::leftSoundAnswered(const LeftSound& left, bool open, bool discard)
{
    m_leftQuestion = nullptr;
    if (discard) {
        log({QStringLiteral("left"), QStringLiteral("deleted"), left.path});
        discardLeftSound(left);
    } else if (!open) {
        log({QStringLiteral("left"), QStringLiteral("kept"), left.path});
        left.lock->unlock(); // for the next start to find
    } else {
        // One sound at a time: the others wait for the next start.
        m_leftSounds.clear();
        auto sound = std::make_unique<WorkingSound>();
        const QString why = loadSound(left.path, *sound);
        if (!why.isEmpty()) {
            log({QStringLiteral("left"), QStringLiteral("unreadable"), left.path, why});
            showMessage(QStringLiteral("The sound left behind cannot be read (%1). It stays where "
                                       "it is:\n%2")
                            .arg(why, QDir::toNativeSeparators(left.path)));
            return;
        }
        stop();
        m_sound = std::move(sound);
        m_filePath.clear();
        m_modified = true;
        setSoundName(Untitled);
        discardLeftSound(left);
        log({QStringLiteral("left"), QStringLiteral("opened"), left.path, lengthText()});
        updateStatus();
        return;
    }
    offerNextLeftSound();
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

void RecorderWindow::newSound()
{
    askToSave([this] {
        stop();
        m_sound.reset();
        m_filePath.clear();
        m_modified = false;
        setSoundName(Untitled);
        updateStatus();
    });
}

void RecorderWindow::chooseFileToOpen()
{
    askToSave([this] {
        auto* dialog = new QFileDialog(this, QStringLiteral("Open"), m_options.folder,
                                       QStringLiteral("Sounds (*.wav);;All files (*)"));
        dialog->setOption(QFileDialog::DontUseNativeDialog);
        dialog->setFileMode(QFileDialog::ExistingFile);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        connect(dialog, &QFileDialog::fileSelected, this, &RecorderWindow::openFile);
        dialog->open();
    });
}

void RecorderWindow::openFile(const QString& path)
{
    stop();
    auto sound = std::make_unique<WorkingSound>();
    const QString why = loadSound(path, *sound);
    if (!why.isEmpty()) {
        log({QStringLiteral("open-error"), path, why});
        showMessage(QStringLiteral("%1\n\nThis is not a sound file that Sound Recorder can open "
                                   "(%2). The sound you had is unchanged.")
                        .arg(QDir::toNativeSeparators(path), why));
        return;
    }
    m_sound = std::move(sound);
    m_filePath = QFileInfo(path).absoluteFilePath();
    m_modified = false;
    setSoundName(QFileInfo(path).completeBaseName());
    log({QStringLiteral("opened"), path, lengthText()});
    updateStatus();
}

void RecorderWindow::openProperties()
{
    if (m_properties) {
        m_properties->activateWindow();
        return;
    }
    m_properties = new PropertiesDialog(this, m_name, formatText(), lengthText());
    m_properties->setAttribute(Qt::WA_DeleteOnClose);
    connect(m_properties, &PropertiesDialog::convertRequested, this,
            &RecorderWindow::openSelection);
    const QString title = m_properties->windowTitle();
    connect(m_properties, &QDialog::finished, this, [this, title](int result) {
        m_properties = nullptr;
        log({QStringLiteral("closed"), title,
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
            // The sound is converted to it when it is saved, whenever it was recorded.
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
            m_afterSave = nullptr; // what waited for the save is given up with it
    });
    m_saveAs->show();
}

void RecorderWindow::save()
{
    if (m_filePath.isEmpty()) {
        openSaveAs();
        return;
    }
    if (!saveTo(m_filePath, this))
        m_afterSave = nullptr;
    else if (m_afterSave)
        std::exchange(m_afterSave, nullptr)();
}

void RecorderWindow::saveRequested(const QString& typedName)
{
    log({QStringLiteral("typed"), typedName});
    if (typedName.isEmpty())
        return; // as in the desktop's own file dialogs: nothing happens
    QString path = QDir(m_options.folder).absoluteFilePath(typedName);
    if (QFileInfo(path).suffix().isEmpty())
        path += QStringLiteral(".wav");
    if (!saveTo(path, m_saveAs))
        return; // the dialog stays for another try
    if (m_saveAs)
        m_saveAs->finishSaved();
    if (m_afterSave)
        std::exchange(m_afterSave, nullptr)();
}

bool RecorderWindow::saveTo(const QString& path, QWidget* messageOwner)
{
    const QFileInfo target(path);
    auto refuse = [&](const QString& reason, const QString& advice) {
        log({QStringLiteral("save-error"), path, reason});
        showMessage(QDir::toNativeSeparators(path) + QLatin1Char('\n') + advice +
                        QStringLiteral("\n\nThe recording is kept."),
                    messageOwner);
        return false;
    };
    if (!QFileInfo(target.absolutePath()).isDir())
        return refuse(QStringLiteral("folder does not exist"),
                      QStringLiteral("The folder does not exist.\nCheck the path and try again."));
    if (target.isDir())
        return refuse(QStringLiteral("is a folder"),
                      QStringLiteral("This is the name of a folder.\nType the name of a file."));

    stop();
    // The desktop's own recorder asks before replacing a file; this one is
    // driven by a program that always saves under a new name, so it replaces
    // it and says so in the log.
    if (target.exists())
        log({QStringLiteral("overwrite"), path});
    static const WorkingSound nothing;
    const QString error = saveSound(m_sound ? *m_sound : nothing, path, format());
    if (!error.isEmpty())
        return refuse(error,
                      QStringLiteral("The file could not be written: ") + error + QLatin1Char('.'));
    log({QStringLiteral("saved"), path, format().token});
    m_modified = false;
    m_filePath = target.absoluteFilePath();
    setSoundName(target.completeBaseName());
    return true;
}

void RecorderWindow::exitProgram()
{
    askToSave([this] { leave(); });
}

void RecorderWindow::askToSave(std::function<void()> then)
{
    if (m_question) {
        m_question->activateWindow();
        return;
    }
    if (!m_modified) {
        then();
        return;
    }
    m_afterQuestion = std::move(then);
    m_question = new SaveChangesQuestion(this, m_name);
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
    std::function<void()> then = std::exchange(m_afterQuestion, nullptr);
    switch (answer) {
    case QMessageBox::Yes:
        log({QStringLiteral("question"), QStringLiteral("Yes")});
        m_afterSave = std::move(then);
        save();
        break;
    case QMessageBox::No:
        log({QStringLiteral("question"), QStringLiteral("No")});
        then();
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
    m_input->stop();
    m_output->stop();
    log({QStringLiteral("exit")});
    close();
    emit exitRequested();
}

} // namespace recorder
