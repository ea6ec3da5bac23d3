#pragma once

#include <QObject>

#include <memory>

class QProgressDialog;
class QThread;
class QWidget;
class Session;

// Finds where the session's picture lies in its level, off the window's
// thread so that the window stays responsive, with a progress dialog for a
// search long enough to notice, which Esc cancels. A confident placement
// fills both points and both world values and is measured; an unsure one
// changes nothing.
class AutoPlacer : public QObject
{
    Q_OBJECT

public:
    AutoPlacer(Session *session, QWidget *window);
    ~AutoPlacer() override;

public slots:
    void start();

signals:
    // How sure the search was, why it gave nothing, or that it was stopped.
    void finished(const QString &summary, bool placed);

private:
    struct Search;
    void collect();

    Session *session;
    QWidget *window;
    QThread *worker = nullptr;
    QProgressDialog *progress = nullptr;
    std::shared_ptr<Search> search;
};
