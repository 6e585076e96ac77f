// The program's message and input boxes: standard dialogs whose captions and button words
// come from the active language.
#pragma once

#include <QString>
#include <initializer_list>

class QWidget;

namespace vk::gui {

enum TMsgDlgType { mtWarning, mtError, mtInformation, mtConfirmation, mtCustom };
enum TMsgDlgBtn {
  mbYes,
  mbNo,
  mbOK,
  mbCancel,
  mbAbort,
  mbRetry,
  mbIgnore,
  mbAll,
  mbNoToAll,
  mbYesToAll,
  mbHelp,
  mbClose
};
// What a box answers: the pressed button's result.
enum TModalResult {
  mrNone,
  mrOk,
  mrCancel,
  mrAbort,
  mrRetry,
  mrIgnore,
  mrYes,
  mrNo,
  mrClose,
  mrHelp,
  mrAll,
  mrNoToAll,
  mrYesToAll
};

// A modal box centred on the screen. The caption is the language's word for the kind (a
// custom box keeps the program's title); Yes, No, Yes to All, Cancel and Help carry the
// language's words. Help does nothing but close nothing either. Closing the box otherwise
// answers Cancel when the box has one, else No, else the first button's result.
TModalResult MessageBox(const QString& text, TMsgDlgType kind,
                        std::initializer_list<TMsgDlgBtn> buttons, int helpContext = 0,
                        QWidget* parent = nullptr);

// A modal box asking for one line of text (at most 255 characters), pre-filled with
// `text` and selected; true with the edited text on OK.
bool InputBox(const QString& caption, const QString& prompt, QString& text,
              QWidget* parent = nullptr);

}  // namespace vk::gui
