#pragma once

#include <QObject>

class QSoundEffect;

namespace plotwise {

// Plays the click of an on-screen key. One player serves the whole application; it exists only
// when the system has an audio output, because a sound effect destroyed while playing without
// a device aborts the process. Tests install a stand-in.
class KeyClickPlayer {
public:
    virtual ~KeyClickPlayer() = default;
    virtual void play() = 0;

    // The application's player, made on first use; null without an audio output.
    static KeyClickPlayer* shared();
    // Replaces the shared player (not owned; null restores the default lookup).
    static void setShared(KeyClickPlayer* player);
};

// The click sample of the resources through Qt Multimedia.
class SoundEffectClickPlayer : public QObject, public KeyClickPlayer {
    Q_OBJECT

public:
    explicit SoundEffectClickPlayer(QObject* parent = nullptr);
    void play() override;

private:
    QSoundEffect* effect_;
};

}  // namespace plotwise
