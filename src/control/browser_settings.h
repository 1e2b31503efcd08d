// The two browser settings every deployment writes: the code-base search
// path is moved aside for good, and the connection limits per server.
#ifndef WEVELINK_CONTROL_BROWSER_SETTINGS_H
#define WEVELINK_CONTROL_BROWSER_SETTINGS_H

// Moves HKLM "...\Internet Settings" "CodeBaseSearchPath" to
// "XCodeBaseSearchPath" (REG_SZ). Silently does nothing without the value
// or without the rights to open the key.
void RenameCodeBaseSearchPath();

// Writes the count as 4 little-endian bytes of REG_BINARY under HKCU
// "...\Internet Settings", named "MaxConnectionsPer1_0Server" when
// forVersion10 is set, "MaxConnectionsPerServer" otherwise.
void WriteMaxConnections(long count, bool forVersion10);

#endif
