// A scripted desktop for the tests: it records every service the game asks for, in order, and answers
// with what the test has lined up. A yield runs the actions queued for it, as the event loop would.
#pragma once

#include "platform/platformservices.h"

#include <QColor>
#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <set>

class FakePlatform : public PlatformServices
{
public:
    QStringList log;
    std::set<qint16> knownCues{101, 102, 104, 105, 106, 107, 108};
    std::deque<std::function<void()>> onYield;
    std::deque<int> answers;
    std::deque<std::optional<QColor>> colours;
    std::deque<std::optional<QString>> files;
    QStringList messages;
    int exits = 0;

    bool startCue(qint16 id) override
    {
        if (!knownCues.count(id)) {
            log << QStringLiteral("silent %1").arg(id);
            return false;
        }
        log << QStringLiteral("cue %1").arg(id);
        return true;
    }

    void yieldToEvents() override
    {
        log << QStringLiteral("yield");
        if (!onYield.empty()) {
            auto action = onYield.front();
            onYield.pop_front();
            action();
        }
    }

    void beep() override { log << QStringLiteral("beep"); }

    int messageBox(QWidget*, const QString& prompt, int style, const QString& title) override
    {
        log << QStringLiteral("msgbox %1").arg(style);
        messages << prompt;
        lastTitle = title;
        if (!answers.empty()) {
            const int answer = answers.front();
            answers.pop_front();
            return answer;
        }
        return (style & 7) == YesNo ? No : Ok;
    }

    std::optional<QColor> chooseColour(QWidget*) override
    {
        log << QStringLiteral("colour dialog");
        if (colours.empty())
            return std::nullopt;
        auto answer = colours.front();
        colours.pop_front();
        return answer;
    }

    std::optional<QString> chooseOpenFile(QWidget*, const QString& filter) override
    {
        log << QStringLiteral("file dialog %1").arg(filter);
        if (files.empty())
            return std::nullopt;
        auto answer = files.front();
        files.pop_front();
        return answer;
    }

    void exitNow(int status) override
    {
        log << QStringLiteral("exit %1").arg(status);
        ++exits;
    }

    QString lastTitle;

    // The cues started so far, in order.
    QStringList cues() const { return log.filter(QStringLiteral("cue ")); }
};
