// The game's sound cues, decoded once and kept in memory so that starting one costs no decoding.
// One cue sounds at a time: a new cue cuts off the one playing.
#pragma once

#include "wavecue.h"

#include <QByteArray>
#include <QObject>
#include <QString>
#include <QThread>
#include <atomic>
#include <map>
#include <optional>

class SoundOutput;

class SoundCueBank : public QObject
{
public:
    // `modulePath`: the sound module to load; the one the build placed beside the program unless told otherwise.
    explicit SoundCueBank(QObject* parent = nullptr, QString modulePath = defaultModulePath());
    ~SoundCueBank() override;

    // Adds the cues carried by the program (":/sounds/cue<id>.wav").
    void loadBuiltInCues();

    // Adds or replaces cue `id` with the given WAV bytes; bytes that are not a playable wave make a silent cue.
    void addCue(qint16 id, const QByteArray& waveBytes);

    bool contains(qint16 id) const { return m_cues.count(id) != 0; }
    bool isPlayable(qint16 id) const;

    // Has the sound thread load the sound module and open the audio output ahead of the first cue, so the first
    // cue is not the one that waits for them. Returns at once.
    void prepareOutput();

    // Starts cue `id`; false when there is no such cue. Silent without an audio server or without the sound
    // module. Returns without waiting for the audio server, whose client runs on a thread of its own.
    bool play(qint16 id);

    // How far the sound thread got with the audio output; it moves on its own after prepareOutput() or play().
    enum class OutputState { NotOpened, NoModule, NoDevice, Open };
    OutputState outputState() const { return m_state.load(); }

    // Where the build placed the sound module, found from the executable's folder as it is once installed.
    static QString defaultModulePath();

    // The bytes of the cue last started; they stay alive as long as it plays.
    const QByteArray& soundCueData() const { return m_soundCueData; }

private:
    void startThread();

    QString m_modulePath;
    std::map<qint16, std::optional<WaveCue>> m_cues;
    QByteArray m_soundCueData;
    std::atomic<OutputState> m_state{OutputState::NotOpened};
    QThread m_thread;
    SoundOutput* m_output = nullptr; // lives in m_thread
    quint64 m_requests = 0;          // cues asked for so far
};
