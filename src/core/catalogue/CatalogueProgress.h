#pragma once

// Where the background walk of a labelled disk stands.
struct CatalogueProgress {
    bool walking = false;
    int diskNumber = 0;
    int percent = 0; // estimated from the disk's used space
};
