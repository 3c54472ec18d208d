#pragma once

#include "programmer/programming/OfflineSettings.h"
#include "programmer/programming/OfflineSettingsEditor.h"

#include <QDialog>

class QLineEdit;

namespace halden {

class MessageService;
class UiText;

// "Set Max Counter & Serial Number" (template 168): edits the off-line settings directly,
// each rule running as its control changes. OK rounds a start address that is not a
// multiple of 4 down and stays open; Cancel or Esc abandons.
class OfflineModeDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int kTemplateId = 168;
    static constexpr int kMaxCounter = 1066;
    static constexpr int kSerialString = 1069;
    static constexpr int kStartAddress = 1074;
    static constexpr int kSerialNumber = 1075;
    static constexpr int kEndAddress = 1076;
    static constexpr int kEnableSerial = 1136;
    static constexpr int kAutoIncrement = 1139;
    static constexpr int kOk = 1142;
    static constexpr int kCancel = 1143;

    // applicationName: the caption of the range message.
    OfflineModeDialog(OfflineSettings& settings, std::uint32_t flashSize, const UiText& text,
                      MessageService& messages, std::u16string applicationName,
                      QWidget* parent = nullptr);

private:
    void setUpTexts(const UiText& text);
    void connectRules();
    void maxCounterChanged(const QString& text);
    void startAddressChanged(const QString& text);
    void serialEnabled(bool on);
    void ok();
    void showEndAddress();
    QLineEdit* edit(int id) const;

    OfflineSettings& settings_;
    std::uint32_t flashSize_;
    const UiText& text_;
    MessageService& messages_;
    std::u16string applicationName_;
};

// Runs the real dialog, owned by the main window.
class OfflineModeDialogEditor : public OfflineSettingsEditor {
public:
    OfflineModeDialogEditor(const UiText& text, MessageService& messages,
                            std::u16string applicationName, QWidget* owner)
        : text_(text), messages_(messages), applicationName_(std::move(applicationName)),
          owner_(owner) {}
    bool editOfflineSettings(OfflineSettings& settings, std::uint32_t flashSize) override;

private:
    const UiText& text_;
    MessageService& messages_;
    std::u16string applicationName_;
    QWidget* owner_;
};

} // namespace halden
