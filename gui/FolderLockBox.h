#pragma once

namespace varnook {

class DataFolderLock;

// Locks the data folder for the program, or tells the user in a box why it cannot and yields false:
// the program ends then, since it would run unguarded. Tells the user too when a lock left behind
// was taken over. A folder that a live copy on another computer holds is opened beside it when the
// user says so (OK), since every save merges with what the other copy saved.
bool lockFolderOrTell(DataFolderLock &lock);

} // namespace varnook
