// Answers the window's dialogs in place of a person and remembers what the
// window asked and showed.
#pragma once

#include <algorithm>
#include <deque>
#include <optional>
#include <vector>

#include <gtest/gtest.h>

#include "app/dialogs.h"

namespace vaveze::testing {

class ScriptedDialogs final : public Dialogs {
public:
    struct Message {
        MessageKind Kind;
        QString Caption;
        QString Text;
    };

    // An answer to a question: true the first reply offered, false Cancel,
    // or the reply named (which must be offered).
    struct Answer {
        Answer(bool yes) : Pick(yes ? std::nullopt : std::optional<Reply>(Reply::Cancel)), First(yes) {}
        Answer(Reply reply) : Pick(reply) {}
        std::optional<Reply> Pick;
        bool First = false;
    };

    // Answers, used in order; nothing queued means a dialog nobody expected.
    std::deque<QStringList> OpenAnswers;  // empty: cancelled
    std::deque<std::optional<QString>> SaveAnswers;
    std::deque<Answer> ConfirmAnswers;

    std::vector<FileDialogSetup> OpenSetups;
    std::vector<FileDialogSetup> SaveSetups;
    std::vector<Message> Messages;
    struct Question {
        QString Caption;
        QString Text;
        std::vector<Reply> Replies;
    };
    std::vector<Question> Questions;
    int Beeps = 0;

    QStringList ChooseFilesToOpen(QWidget*, const FileDialogSetup& setup) override
    {
        OpenSetups.push_back(setup);
        if (OpenAnswers.empty()) {
            ADD_FAILURE() << "unexpected open dialog";
            return {};
        }
        QStringList answer = OpenAnswers.front();
        OpenAnswers.pop_front();
        return answer;
    }

    std::optional<QString> ChooseFileToSave(QWidget*, const FileDialogSetup& setup) override
    {
        SaveSetups.push_back(setup);
        return Next(SaveAnswers, "save");
    }

    void ShowMessage(QWidget*, MessageKind kind, const QString& caption, const QString& text) override
    {
        Messages.push_back({kind, caption, text});
    }

    Reply Ask(QWidget*, const QString& caption, const QString& question, const std::vector<Reply>& replies, Reply,
              Reply escape) override
    {
        Questions.push_back({caption, question, replies});
        if (ConfirmAnswers.empty()) {
            ADD_FAILURE() << "unexpected question: " << question.toStdString();
            return escape;
        }
        const Answer answer = ConfirmAnswers.front();
        ConfirmAnswers.pop_front();
        if (answer.First)
            return replies.front();
        if (std::find(replies.begin(), replies.end(), *answer.Pick) == replies.end())
            ADD_FAILURE() << "answer not offered: " << question.toStdString();
        return *answer.Pick;
    }

    void Beep() override { ++Beeps; }

private:
    static std::optional<QString> Next(std::deque<std::optional<QString>>& answers, const char* which)
    {
        if (answers.empty()) {
            ADD_FAILURE() << "unexpected " << which << " dialog";
            return std::nullopt;
        }
        std::optional<QString> answer = answers.front();
        answers.pop_front();
        return answer;
    }
};

}  // namespace vaveze::testing
