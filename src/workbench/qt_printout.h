#pragma once
// The printouts on paper or in a PDF file: printer operations painted with Qt.

#include <QPagedPaintDevice>
#include <filesystem>
#include <string>

#include "base/interface_text.h"
#include "base/prompt.h"
#include "catalogue/param_image.h"
#include "workbench/printout.h"

namespace qsp {

// Paints the operations on a printer or PDF writer, twips from the printable area's top-left
// corner. When the printout is larger than the printable area (a small paper, wide margins) it is
// scaled down as a whole to fit. False when painting cannot begin on the device.
bool PaintOperations(const PrintOperations& operations, QPagedPaintDevice& device);

// Prints on the chosen printer, or writes the PDF file the target names. `documentName` is the
// print job's (or PDF document's) title. False when the printer or the file cannot be opened.
// A QGuiApplication must exist.
bool PrintOperationsOn(const PrintTarget& target, const PrintOperations& operations,
                       const std::string& documentName);

// Writes the operations as a PDF file on A4 paper with 10 mm margins.
bool WritePdf(const std::filesystem::path& path, const PrintOperations& operations,
              const std::string& documentName);

}  // namespace qsp
