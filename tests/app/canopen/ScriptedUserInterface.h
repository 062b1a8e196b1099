// ScriptedUserInterface.h - a user interface for tests: records every
// message and question and answers as scripted.
#pragma once

#include "UserInterface.h"

#include <deque>
#include <string>
#include <vector>

class ScriptedUserInterface : public IUserInterface {
public:
    struct Message {
        MessageSeverity severity;
        MessageIcon icon;
        std::string text;
    };
    struct Question {
        MessageIcon icon;
        std::string text;
        bool defaultYes;
    };

    void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) override
    {
        messages.push_back({severity, icon, text});
    }
    bool AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes) override
    {
        questions.push_back({icon, text, defaultYes});
        if (answers.empty())
            return defaultYes;
        bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    std::unique_ptr<IProgress> BeginProgress(std::int32_t) override { return nullptr; }
    std::optional<std::string> ChooseFile(const FileRequest&) override { return std::nullopt; }

    std::vector<Message> messages;
    std::vector<Question> questions;
    std::deque<bool> answers; // Yes/No answers in order; empty: the default button
};
