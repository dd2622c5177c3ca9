#include "RecorderDialogs.h"

#include "SoundFile.h"

#include <QComboBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QVBoxLayout>

namespace recorder {

using standin::StandinDialog;
using standin::StandinMessageBox;

namespace {

// A row of buttons in the order given, right-aligned. (A QDialogButtonBox would
// order them by the desktop's conventions, and with them the tab order.)
QHBoxLayout* buttonRow(std::initializer_list<QPushButton*> buttons)
{
    auto* row = new QHBoxLayout;
    row->addStretch(1);
    for (QPushButton* b : buttons)
        row->addWidget(b);
    return row;
}

} // namespace

PropertiesDialog::PropertiesDialog(QWidget* owner, const QString& formatText,
                                   const QString& lengthText)
    : StandinDialog(owner)
{
    setObjectName(QStringLiteral("PropertiesDialog"));
    setWindowTitle(QStringLiteral("Properties for Sound"));
    setModal(true);

    auto* details = new QGroupBox(QStringLiteral("Details"), this);
    auto* form = new QFormLayout(details);
    form->addRow(QStringLiteral("Copyright:"),
                 new QLabel(QStringLiteral("No copyright information"), details));
    form->addRow(QStringLiteral("Length:"), new QLabel(lengthText, details));
    m_format = new QLabel(formatText, details);
    form->addRow(QStringLiteral("Audio format:"), m_format);

    auto* conversion = new QGroupBox(QStringLiteral("Format Conversion"), this);
    auto* convertRow = new QHBoxLayout(conversion);
    auto* hint = new QLabel(QStringLiteral("To use less space for this sound, click Convert Now."),
                            conversion);
    hint->setWordWrap(true);
    convertRow->addWidget(hint, 1);
    m_convert = new QPushButton(QStringLiteral("&Convert Now..."), conversion);
    m_convert->setObjectName(QStringLiteral("ConvertNow"));
    // Enter never converts: it always confirms the dialog.
    m_convert->setAutoDefault(false);
    convertRow->addWidget(m_convert);

    m_ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(details);
    layout->addWidget(conversion);
    layout->addLayout(buttonRow({m_ok, cancel}));
    setTabOrder(m_convert, m_ok);
    setTabOrder(m_ok, cancel);

    connect(m_convert, &QPushButton::clicked, this, &PropertiesDialog::convertRequested);
    connect(m_ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_ok->setFocus();
}

void PropertiesDialog::setFormatText(const QString& text)
{
    m_format->setText(text);
}

void PropertiesDialog::focusDefaultButton()
{
    m_ok->setFocus(Qt::OtherFocusReason);
}

SoundSelectionDialog::SoundSelectionDialog(QWidget* owner, qsizetype formatIndex)
    : StandinDialog(owner)
{
    setObjectName(QStringLiteral("SoundSelectionDialog"));
    setWindowTitle(QStringLiteral("Sound Selection"));
    setModal(true);

    m_name = new QComboBox(this);
    m_name->setObjectName(QStringLiteral("Name"));
    m_name->addItem(QStringLiteral("[untitled]"));
    auto* saveAs = new QPushButton(QStringLiteral("&Save As..."), this);
    saveAs->setAutoDefault(false);
    saveAs->setToolTip(QStringLiteral("Saving named formats is not available"));
    auto* remove = new QPushButton(QStringLiteral("&Remove"), this);
    remove->setEnabled(false);
    m_format = new QComboBox(this);
    m_format->setObjectName(QStringLiteral("Format"));
    m_attributes = new QComboBox(this);
    m_attributes->setObjectName(QStringLiteral("Attributes"));
    for (const SoundFormat& f : soundFormats())
        m_format->addItem(f.name);

    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(m_name, 1);
    nameRow->addWidget(saveAs);
    nameRow->addWidget(remove);
    auto* form = new QFormLayout;
    auto* nameLabel = new QLabel(QStringLiteral("&Name:"), this);
    nameLabel->setBuddy(m_name);
    form->addRow(nameLabel, nameRow);
    auto* formatLabel = new QLabel(QStringLiteral("&Format:"), this);
    formatLabel->setBuddy(m_format);
    form->addRow(formatLabel, m_format);
    auto* attributesLabel = new QLabel(QStringLiteral("&Attributes:"), this);
    attributesLabel->setBuddy(m_attributes);
    form->addRow(attributesLabel, m_attributes);

    auto* ok = new QPushButton(QStringLiteral("OK"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    ok->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({ok, cancel}));

    setTabOrder(m_name, saveAs);
    setTabOrder(saveAs, m_format);
    setTabOrder(m_format, m_attributes);
    setTabOrder(m_attributes, ok);
    setTabOrder(ok, cancel);

    connect(m_format, &QComboBox::currentIndexChanged, this, &SoundSelectionDialog::formatChanged);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_format->setCurrentIndex(static_cast<int>(formatIndex));
    formatChanged(m_format->currentIndex());
    m_name->setFocus();
}

qsizetype SoundSelectionDialog::chosenFormat() const
{
    return m_format->currentIndex();
}

void SoundSelectionDialog::formatChanged(int index)
{
    m_attributes->clear();
    if (index >= 0 && index < soundFormats().size())
        m_attributes->addItem(soundFormats().at(index).attributes);
}

SaveAsDialog::SaveAsDialog(QWidget* owner, const QString& folder)
    : StandinDialog(owner), m_folder(folder)
{
    setObjectName(QStringLiteral("SaveAsDialog"));
    setWindowTitle(QStringLiteral("Save As"));
    setModal(true);

    auto* where = new QLabel(QDir::toNativeSeparators(folder), this);
    where->setTextInteractionFlags(Qt::NoTextInteraction);
    m_fileName = new QLineEdit(this);
    m_fileName->setObjectName(QStringLiteral("FileName"));
    auto* type = new QComboBox(this);
    type->setObjectName(QStringLiteral("SaveAsType"));
    type->addItem(QStringLiteral("Sounds (*.wav)"));

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Save in:"), where);
    auto* nameLabel = new QLabel(QStringLiteral("File &name:"), this);
    nameLabel->setBuddy(m_fileName);
    form->addRow(nameLabel, m_fileName);
    auto* typeLabel = new QLabel(QStringLiteral("Save as &type:"), this);
    typeLabel->setBuddy(type);
    form->addRow(typeLabel, type);

    m_save = new QPushButton(QStringLiteral("&Save"), this);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    m_save->setDefault(true);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({m_save, cancel}));
    resize(460, sizeHint().height());

    setTabOrder(m_fileName, type);
    setTabOrder(type, m_save);
    setTabOrder(m_save, cancel);

    connect(m_save, &QPushButton::clicked, this, &SaveAsDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    m_fileName->setFocus();
}

void SaveAsDialog::accept()
{
    emit saveRequested(m_fileName->text());
}

void SaveAsDialog::finishSaved()
{
    StandinDialog::accept();
}

SaveChangesQuestion::SaveChangesQuestion(QWidget* owner)
    : StandinMessageBox(QMessageBox::Question, QStringLiteral("Sound Recorder"),
                        QStringLiteral("Do you want to save changes to Sound?"),
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel, owner)
{
    setObjectName(QStringLiteral("SaveChangesQuestion"));
    setModal(true);
    setDefaultButton(QMessageBox::Yes);
    setEscapeButton(QMessageBox::Cancel);
}

void SaveChangesQuestion::showEvent(QShowEvent* event)
{
    StandinMessageBox::showEvent(event);
    // The button box orders its buttons by the desktop's conventions; the
    // keys this question answers to are fixed: Yes, then No, then Cancel.
    QAbstractButton* yes = button(QMessageBox::Yes);
    QAbstractButton* no = button(QMessageBox::No);
    QAbstractButton* cancel = button(QMessageBox::Cancel);
    setTabOrder(yes, no);
    setTabOrder(no, cancel);
    yes->setFocus(Qt::OtherFocusReason);
}

} // namespace recorder
