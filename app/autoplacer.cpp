#include "app/autoplacer.h"

#include "level/footprints.h"
#include "model/session.h"
#include "placement/placement.h"

#include <QProgressDialog>
#include <QThread>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <optional>

// What the worker and the window share: the worker writes the progress
// and the result, the window asks it to stop.
struct AutoPlacer::Search
{
    std::atomic<int> percent{0};
    std::atomic<bool> stop{false};
    std::optional<Placement> result;
    // The picture or the level changed while it looked.
    bool stale = false;
};

AutoPlacer::AutoPlacer(Session *session, QWidget *window)
    : QObject(window)
    , session(session)
    , window(window)
{
    // What it finds would be for a picture or a level no longer there.
    for (const auto changed : {&Session::pictureChanged, &Session::levelChanged})
        connect(session, changed, this, [this] {
            if (worker) {
                search->stale = true;
                search->stop = true;
            }
        });
}

AutoPlacer::~AutoPlacer()
{
    if (worker) {
        search->stop = true;
        worker->wait();
    }
}

void AutoPlacer::start()
{
    if (worker || !session->hasPicture() || !session->levelLoaded())
        return;
    search = std::make_shared<Search>();
    const std::shared_ptr<Search> shared = search;
    worker = QThread::create([shared, picture = session->picture(), level = session->footprints()] {
        shared->result = place(picture, level, [&shared](int percent) {
            shared->percent = percent;
            return !shared->stop;
        });
    });
    // Owned here as well as deleted when it ends, so that no thread can
    // outlive the placer.
    worker->setParent(this);
    connect(worker, &QThread::finished, this, &AutoPlacer::collect);

    // Shown only for a search that lasts over a third of a second.
    progress = new QProgressDialog(tr("Looking for the level in the picture…"), tr("Cancel"), 0, 100, window);
    progress->setWindowTitle(tr("Place automatically"));
    progress->setWindowModality(Qt::WindowModal);
    progress->setMinimumDuration(333);
    progress->setAutoReset(false);
    progress->setValue(0);
    connect(progress, &QProgressDialog::canceled, this, [shared] { shared->stop = true; });
    auto *poll = new QTimer(progress);
    connect(poll, &QTimer::timeout, progress, [dialog = progress, shared] { dialog->setValue(std::min(shared->percent.load(), 99)); });
    poll->start(50);
    worker->start();
}

void AutoPlacer::collect()
{
    worker->wait();
    worker->deleteLater();
    worker = nullptr;
    progress->deleteLater();
    progress = nullptr;
    const std::optional<Placement> found = search->result;
    if (search->stale) {
        emit finished(tr("The picture or the level changed while placing: nothing changed."), false);
        return;
    }
    if (!found) {
        emit finished(tr("Placing stopped: nothing changed."), false);
        return;
    }
    if (found->confident) {
        session->setPixels(found->entries.pixel1, found->entries.pixel2);
        session->setWorlds(found->entries.world1, found->entries.world2);
        session->measure();
    }
    emit finished(placementSummary(*found), found->confident);
}
