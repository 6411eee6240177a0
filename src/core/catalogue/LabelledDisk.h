#pragma once

#include "core/catalogue/DiskRecord.h"

#include <string>

struct DiskFactsRecord;

// The catalogue's view of the disk the label window has examined.

// Its serial and capacity, as read from the drive with the facts the label shows.
DiskIdentity IdentityOfFacts(const DiskFactsRecord& facts);

// The disk as the catalogue records it when its label, numbered `number`, is printed.
DiskRecord RecordOfFacts(const DiskFactsRecord& facts, int number, const std::string& company);

// The question asked before a catalogued disk is printed again; `labelled` is the date it was last
// labelled, as the label's own date line shows dates.
std::string ReprintQuestion(const DiskRecord& disk, const std::string& labelled);
