#pragma once
// Captions and number formatting of sensor values, and the conversion and marking of readings.
// Texts returned here are in the record's own encoding (Windows ANSI); "localized" uses the
// current Locale's decimal separator.

#include <string>
#include <string_view>

#include "sensors/ChannelValue.h"
#include "sensors/SensorRecord.h"

namespace vg28 {

// Short name of input n (1-based): "SMTE", "KWS", "CV", "Em50" or "S<n>".
std::string ShortLabel(int n, std::string_view id);

// "<description> (<short label>:<id>)" and, with units, ", <units>".
std::string ChannelCaption(const SensorRecord& record, int n, bool withUnits);

// "<short label> (<id>)" for a channel whose sensor is not in the database.
std::string MissingSensorCaption(int n, std::string_view id);

// The value with 0-5 decimals by precision (3 for any other precision).
std::string FormatValue(double value, int precision, bool localized);

// "%.5e" with the decimal separator, three exponent digits as the Windows runtime prints them.
std::string FormatCoefficient(double value);

// Reads a number typed by the operator (decimal separator of the locale); empty text gives 0.0.
double ParseLocalized(std::string_view text);

// C0 + C1*x + ... + C5*x^5, evaluated by Horner's rule from C5 down.
double EvaluatePolynomial(const SensorRecord& record, double x);

// Precision from the sensor, limit mark when the value sits at a range end (not for Em50 types).
void MarkValue(const SensorRecord& record, ChannelValue& cell);

}  // namespace vg28
