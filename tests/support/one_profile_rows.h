#pragma once
// The profile and the rows every front end is held to
// (tests/support/one_profile), for the C++ tests that hold one to them; the
// Python ones read the same files.

#include <QByteArray>
#include <QList>
#include <QString>

namespace zz::test {

struct ProfileRow {
    QString action;   // "set", "true", "sensor", "sensor-true"
    QString value;    // ohms, or °C for a sensor
    QByteArray sent;  // the command with its CR; empty: nothing reaches the box
    QString refusal;  // a part of the refusal's text; empty: none
};

QByteArray oneProfileText();
QList<ProfileRow> oneProfileRows();

}  // namespace zz::test
