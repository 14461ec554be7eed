#pragma once

#include <QByteArray>
#include <QString>

// The caregiver lock's PIN as it is stored: "pbkdf2-sha256:ITERATIONS:SALT:HASH", salt and
// hash in Base64. The PIN itself is never stored, and a copy of the store does not give it
// away without trying every PIN at the cost of the iterations each.
class PinHash
{
public:
    // Enough to make trying all PINs of a copied store slow, little enough that the PIN pad
    // answers at once on a small PC (bench_pinhash: 20,000 take about 0.15 s on a busy
    // two-core machine; the check runs on the GUI thread).
    static constexpr int kIterations = 20000;
    // A stored count above this is not ours: each try would hold the launcher for seconds.
    static constexpr int kMostIterations = 200000;
    static constexpr int kShortestPin = 4;
    static constexpr int kLongestPin = 12;

    // The stored form of `pin` with a fresh random salt.
    static QString make(const QString &pin);
    static QString make(const QString &pin, const QByteArray &salt, int iterations);

    // Whether `pin` is the one `stored` was made from. A stored value that is not of the
    // form above matches no PIN at all: a damaged lock stays locked.
    static bool matches(const QString &pin, const QString &stored);
    static bool isWellFormed(const QString &stored);

    // A PIN is 4 to 12 digits: what the PIN pad can type.
    static bool isAcceptablePin(const QString &pin);
};
