#pragma once

namespace varnook {

class DataFolderLock;

// Locks the data folder for the program, or tells the user in a box why it cannot and yields false:
// the program ends then, since it would run unguarded. Tells the user too when a lock left behind
// was taken over.
bool lockFolderOrTell(DataFolderLock &lock);

} // namespace varnook
