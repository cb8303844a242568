#pragma once

#include <string>
#include <vector>

#include "device/notifier.h"

// Keeps every message the code under test would have shown; answers questions as told.
class RecordingNotifier : public corvane::Notifier {
  public:
    struct Message {
        std::string title;
        std::string text;
        corvane::MessageIcon icon;
    };

    void showMessage(const std::string& title, const std::string& text, corvane::MessageIcon icon) override {
        messages.push_back({title, text, icon});
    }
    bool confirm(const std::string& title, const std::string& text, corvane::MessageIcon icon) override {
        messages.push_back({title, text, icon});
        return answer;
    }

    std::vector<Message> messages;
    bool answer = true;
};
