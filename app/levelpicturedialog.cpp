#include "app/levelpicturedialog.h"

#include "model/session.h"
#include "placement/levelpicture.h"

#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFormLayout>
#include <QGuiApplication>
#include <QImageWriter>
#include <QMessageBox>
#include <QSpinBox>

LevelPictureDialog::LevelPictureDialog(Session *session, QWidget *parent)
    : QDialog(parent)
    , session(session)
    , sizeBox(new QSpinBox(this))
    , styleBox(new QComboBox(this))
{
    setWindowTitle(tr("Make picture from level"));
    sizeBox->setRange(smallestLevelPicture, largestLevelPicture);
    sizeBox->setSuffix(tr(" pixels"));
    // What the level's extent gives at 1 unit a pixel, within the cap.
    const int natural = levelPictureSide(session->footprints());
    sizeBox->setValue(natural ? natural : levelPictureCap);
    styleBox->addItems({tr("Outlines"), tr("Floors shaded by height")});
    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto *layout = new QFormLayout(this);
    layout->addRow(tr("Long side:"), sizeBox);
    layout->addRow(tr("Style:"), styleBox);
    layout->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &LevelPictureDialog::chooseFile);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
}

void LevelPictureDialog::chooseFile()
{
    const QFileInfo level(session->levelPath());
    auto *dialog = new QFileDialog(this, tr("Save picture"), level.absolutePath() + '/' + level.completeBaseName() + ".png",
                                   tr("PNG pictures (*.png)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("png"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) {
        const QString why = make(path);
        if (why.isEmpty()) {
            accept();
            return;
        }
        auto *box = new QMessageBox(QMessageBox::Warning, tr("Picture not made"), why, QMessageBox::Ok, this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->open();
    });
    dialog->open();
}

QString LevelPictureDialog::make(const QString &path)
{
    QString why;
    const std::optional<LevelPicture> picture =
            levelPicture(session->footprints(), sizeBox->value(),
                         styleBox->currentIndex() == 1 ? LevelPictureStyle::Floors : LevelPictureStyle::Outline, &why);
    if (!picture)
        return why;
    QImageWriter writer(path, "png");
    if (!writer.write(picture->image))
        return tr("Could not write %1: %2").arg(QDir::toNativeSeparators(path), writer.errorString());
    if (const QString unread = session->openPicture(path); !unread.isEmpty())
        return unread;
    session->setPixels(picture->entries.pixel1, picture->entries.pixel2);
    session->setWorlds(picture->entries.world1, picture->entries.world2);
    session->measure();
    QGuiApplication::clipboard()->setText(calibrationText(session->result()));
    return QString();
}
