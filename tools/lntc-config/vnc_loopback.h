// The VNC server of `lntc-config --vnc` answers on the loopback address only.
#pragma once

// From now on, a socket bound to every interface on this port is bound to the loopback
// address instead.
void ServeOnLoopbackOnly(int port);
