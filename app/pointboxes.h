#pragma once

#include <QObject>

#include <array>

class Session;
class WholeSpinBox;

// Four number boxes, x and y of a first and a second point, that show one
// pair of the session's points, the picture's or the world's, and pass the
// user's edits back to it.
class PointBoxes : public QObject
{
public:
    enum Pair { Pixels, Worlds };
    PointBoxes(const std::array<WholeSpinBox *, 4> &boxes, Pair pair, Session *session, QObject *parent);

    // The boxes' values into the session, unless they are being shown.
    void take();

private:
    void show();

    std::array<WholeSpinBox *, 4> boxes;
    Pair pair;
    Session *session;
    // Set while the boxes take the session's values, which are then not
    // taken back as the user's.
    bool showing = false;
};
