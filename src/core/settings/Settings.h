#pragma once

struct Services;

// Copies OWNER..ADDR3 into OwnerBlock, ZIPDRIVE into ZipDrive and ID_INDEX + 1 into NextDiskNumber.
// A disk number that is not a number or does not fit throws RuntimeError after the first two were set.
void LoadSettings(const Services& services);
