#include "app/resultmenu.h"

#include "core/resultformats.h"
#include "model/session.h"

#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QSaveFile>

#include <functional>

ResultMenu::ResultMenu(QPlainTextEdit *textEdit, const Session *session, QWidget *window)
    : QObject(window)
    , session(session)
    , textEdit(textEdit)
    , window(window)
{
    textEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(textEdit, &QWidget::customContextMenuRequested, this, &ResultMenu::showMenu);
    connect(session, &Session::pictureChanged, this, [this] {
        if (!this->session->picturePath().isEmpty())
            pictureFolder = QFileInfo(this->session->picturePath()).absolutePath();
    });
    connect(session, &Session::resultChanged, this, &ResultMenu::showResult);
}

// The text box takes each result as it comes and is emptied when the
// result ends; in between, it is the user's to edit.
void ResultMenu::showResult()
{
    switch (session->resultState()) {
    case Session::Result::None:
        textEdit->clear();
        textEdit->setToolTip(QString());
        break;
    case Session::Result::Invalid:
        textEdit->setPlainText(calibrationText(std::nullopt));
        textEdit->setToolTip(validEntriesHint());
        break;
    case Session::Result::Valid:
        textEdit->setPlainText(calibrationText(session->result()));
        textEdit->setToolTip(scaleCheck(*session->result(), session->pictureSize()));
        break;
    }
}

// An entry that cannot act says why, unless there is simply no result yet.
void ResultMenu::showMenu(QPoint pos)
{
    QMenu *menu = textEdit->createStandardContextMenu(pos);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSection(tr("Copy for"));
    // A result belongs to its picture: what the session shows now.
    const bool measured = session->result().has_value();
    const Calibration c = session->result().value_or(Calibration{});
    const QString path = session->picturePath();
    const QString noFile = measured && path.isEmpty() ? tr("a pasted picture has no file") : QString();
    // A world file belongs to its picture, beside it under its name; the
    // overview may take the level's.
    const QString pictureName = path.isEmpty() ? QStringLiteral("map") : QFileInfo(path).completeBaseName();
    const QString name = session->levelLoaded() ? QFileInfo(session->levelPath()).completeBaseName() : pictureName;
    const QString world = measured ? worldFile(c, session->pictureSize()) : QString();
    const auto copy = [](const QString &text) {
        return [text] { QGuiApplication::clipboard()->setText(text); };
    };
    const auto exists = [](const QString &path) { return QFileInfo::exists(path); };
    const QList<std::tuple<QString, QString, std::function<void()>>> entries = {
        {tr("Worldspawn keys (command map, Radiant background)"), {}, copy(worldspawnKeys(c))},
        {tr("Source overview"), {}, copy(sourceOverview(c, name))},
        {tr("World file"), {}, copy(world)},
        {tr("GDAL command"), noFile,
         copy(measured ? gdalCommand(c, QFileInfo(path).absoluteFilePath(), exists) : QString())},
        {tr("Save world file…"), {}, [this, path, pictureName, world] { showSaveDialog(path, pictureName, world); }}};
    for (const auto &[label, unavailable, act] : entries) {
        QAction *action = menu->addAction(unavailable.isEmpty() ? label : label + " (" + unavailable + ')');
        action->setEnabled(measured && unavailable.isEmpty());
        connect(action, &QAction::triggered, this, act);
    }
    menu->popup(textEdit->viewport()->mapToGlobal(pos));
}

// Proposes the picture's folder and name with the world file's suffix.
void ResultMenu::showSaveDialog(const QString &picturePath, const QString &name, const QString &text)
{
    const QFileInfo picture(picturePath.isEmpty() ? QDir(pictureFolder).filePath(QStringLiteral("map")) : picturePath);
    const QString suffix = worldFileSuffix(picture.filePath());
    auto *dialog = new QFileDialog(window, tr("Save world file"), picture.absolutePath() + '/' + name + '.' + suffix,
                                   suffix == QLatin1String("wld") ? tr("World files (*.wld)")
                                                                   : tr("World files (*.%1 *.wld)").arg(suffix));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    connect(dialog, &QFileDialog::fileSelected, this, [this, text](const QString &path) { save(path, text); });
    dialog->open();
}

// Written whole or not at all; a failure is shown with the file and why.
void ResultMenu::save(const QString &path, const QString &text)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, tr("World file not saved"),
                                tr("Could not save %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()),
                                QMessageBox::Ok, window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
