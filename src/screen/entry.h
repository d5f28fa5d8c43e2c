// The module's entry points, as the host shell calls them.
//
//   IniProc(params)  params: Null (nothing happens) or an array of the eight opening values
//                    [costBranch, branchCode, serviceCode, costMode, calcMode, referenceDate,
//                     fixedCostDate, useFixedCostDate]; converted with the Variant conversions
//                    and passed on to CriaCustoServ.
//   CriaCustoServ    creates the screen (frmAnaCustRevRec), fills its context and shows it
//                    modally through the host's modal loop; returns when it has closed.
#pragma once

#include <cstdint>
#include <string>

#include "platform/variant.h"
#include "screen/ana_cust_rev_rec.h"

// The screen while it exists; null before CriaCustoServ and after the closed screen is released.
extern screen::TfrmAnaCustRevRec* frmAnaCustRevRec;

// ERRORS: platform::ConversionError when an element does not convert, std::out_of_range when
// the array has fewer than eight elements; whatever CriaCustoServ raises.
extern "C" void IniProc(const platform::Variant& Params);
using IniProcFunction = void (*)(const platform::Variant&);

// REQUIRES: the host services are installed.
// GUARANTEES: the screen is released when it returns (frmAnaCustRevRec is null again).
// ERRORS: whatever the screen's creation raises; an exception that escapes the modal loop.
void CriaCustoServ(const std::string& costBranch, const std::string& branchCode,
                   const std::string& serviceCode, int32_t costMode, int32_t calcMode,
                   double referenceDate, double fixedCostDate, bool useFixedCostDate);
