#pragma once
// Tells accessibility tools what the window's own classes are: the main
// window a window (a plain top-level widget reports itself as a client
// area), the toolbar strip a tool bar.

void InstallAccessibleRoles();
