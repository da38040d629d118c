#include "ui/widgets/parameter_fields.h"

#include <QRegularExpressionValidator>

namespace orvel::ui {

ParameterFields::ParameterFields(QWidget* parent, const std::array<QString, kPanelFieldCount>& objectNames,
                                 const std::array<QString, kPanelFieldCount>& initialTexts) {
  for (std::size_t i = 0; i < Fields.size(); ++i) {
    auto* field = new QLineEdit(parent);
    field->setObjectName(objectNames[i]);
    field->setMaxLength(4);
    field->setValidator(
        new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,3}")), field));
    field->setText(initialTexts[i]);
    Fields[i] = field;
  }
}

std::string ParameterFields::FieldText(PanelField field) const {
  return Field(field)->text().toStdString();
}

void ParameterFields::SetFieldText(PanelField field, const std::string& text) {
  Field(field)->setText(QString::fromStdString(text));
}

std::array<QString, kPanelFieldCount> DefaultPanelTexts() {
  // Field order: SmoothTps, SmoothMaf, SmoothRpm, MafTime, Threshold, Enrichment, Enleanment, TpsThreshold.
  return {QStringLiteral("100"), QStringLiteral("100"), QStringLiteral("100"), QStringLiteral("4"),
          QStringLiteral("5"),   QStringLiteral("0"),   QStringLiteral("50"),  QStringLiteral("255")};
}

}  // namespace orvel::ui
