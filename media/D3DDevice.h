#pragma once
// The one drawing device of the game.  The device start-up creates it, hands
// it in here and takes it away (null) before destroying it; textures, the
// vertex batch and every other drawing class reach it through here.  Main
// thread only.  The pointer is not owned here.

class SysDevice3D;

SysDevice3D* GetD3DDevice();
void SetD3DDevice(SysDevice3D* device);
