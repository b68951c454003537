#pragma once

#include <functional>
#include <string>
#include <vector>

namespace Core {

/** A message or question for the user: caption, text and button labels separated by "|". */
struct MessageBoxRequest {
    std::string caption;
    std::string text;
    std::string buttons;
};

/**
 * Shows messages: the editor's modal dialog, or an injected answerer where no editor is open (command
 * line, tests). The answer is the index of the chosen button; it may come later, on the GUI thread, and
 * the asking code continues in it.
 */
class IMessagePresenter {
public:
    virtual ~IMessagePresenter() = default;
    virtual void show(const MessageBoxRequest& request, std::function<void(int button)> answer) = 0;
};

/** The labels of a "|"-separated button list, in order; an empty list gives one empty label. */
inline std::vector<std::string> buttonLabels(const std::string& buttons) {
    std::vector<std::string> labels(1);
    for (char c : buttons) {
        if (c == '|')
            labels.emplace_back();
        else
            labels.back() += c;
    }
    return labels;
}

} // namespace Core
