package com.varnholt.tarnwick.pavikplus;

import com.varnholt.tarnwick.SimulatedSpectrometer;

/** The PavikPlus driver object: 2048 pixels. */
public class PavikPlus extends SimulatedSpectrometer {
    public PavikPlus() {
        super("PavikPlus", 2048);
    }
}
