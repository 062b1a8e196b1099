// ScriptedUserInterface.h - a user interface for tests: records every
// message and question and answers from a script.
#pragma once

#include "ui/UserInterface.h"

#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <vector>

// A progress log whose every step runs what the user does meanwhile (a
// progress box lets window messages through); it finishes when told to.
class ScriptedStepProgress : public IProgress {
public:
    explicit ScriptedStepProgress(std::function<void()> onStep) : onStep_(std::move(onStep)) {}
    void AddText(const std::string&, std::int32_t) override
    {
        if (onStep_)
            onStep_();
    }
    void Finish(bool) override { finished_ = true; }
    bool Finished() override { return finished_; }
    bool Cancelled() override { return false; }

private:
    std::function<void()> onStep_;
    bool finished_ = false;
};

class ScriptedUserInterface : public IUserInterface {
public:
    struct Shown {
        MessageSeverity severity;
        MessageIcon icon;
        std::string text;
    };
    struct Asked {
        MessageIcon icon;
        std::string text;
        bool defaultYes;
    };

    void ShowMessage(MessageSeverity severity, MessageIcon icon, const std::string& text) override
    {
        messages.push_back({severity, icon, text});
        if (onMessage)
            onMessage();
    }
    bool AskYesNo(MessageIcon icon, const std::string& text, bool defaultYes) override
    {
        questions.push_back({icon, text, defaultYes});
        if (answers.empty())
            return false;
        const bool answer = answers.front();
        answers.pop_front();
        return answer;
    }
    // No log unless onProgressStep is set.
    std::unique_ptr<IProgress> BeginProgress(std::int32_t) override
    {
        if (!onProgressStep)
            return nullptr;
        return std::make_unique<ScriptedStepProgress>(onProgressStep);
    }
    std::optional<std::string> ChooseFile(const FileRequest& request) override
    {
        fileRequests.push_back(request);
        if (files.empty())
            return std::nullopt;
        std::optional<std::string> file = files.front();
        files.pop_front();
        return file;
    }

    std::vector<Shown> messages;
    std::vector<Asked> questions;
    std::vector<FileRequest> fileRequests;
    std::deque<bool> answers;                       // for AskYesNo; No when empty
    std::deque<std::optional<std::string>> files;   // for ChooseFile; cancel when empty
    std::function<void()> onProgressStep;           // runs at each step of a progress log
    std::function<void()> onMessage;                // runs while a message box is up
};
