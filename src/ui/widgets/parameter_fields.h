#pragma once

#include <QLineEdit>
#include <QString>
#include <array>

#include "table/parameters.h"

namespace orvel::ui {

// A block's parameter panel made of eight edit fields, in the panel's field
// order (PanelField). Each field takes up to three digits (a minus sign is
// let through for the −100 % that an enrichment byte of 0 shows).
class ParameterFields final : public ParameterPanel {
 public:
  // Creates the fields as children of `parent`, named objectNames[field].
  ParameterFields(QWidget* parent, const std::array<QString, kPanelFieldCount>& objectNames,
                  const std::array<QString, kPanelFieldCount>& initialTexts);

  [[nodiscard]] std::string FieldText(PanelField field) const override;
  void SetFieldText(PanelField field, const std::string& text) override;

  [[nodiscard]] QLineEdit* Field(PanelField field) const { return Fields[static_cast<std::size_t>(field)]; }

 private:
  std::array<QLineEdit*, kPanelFieldCount> Fields{};
};

// The texts a fresh panel shows, in field order: 100, 100, 100, 4, 5, 0, 50, 255.
std::array<QString, kPanelFieldCount> DefaultPanelTexts();

}  // namespace orvel::ui
