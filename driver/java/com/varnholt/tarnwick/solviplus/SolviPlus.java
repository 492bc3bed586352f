package com.varnholt.tarnwick.solviplus;

import com.varnholt.tarnwick.SimulatedSpectrometer;

/** The SolviPlus driver object: 2048 pixels. */
public class SolviPlus extends SimulatedSpectrometer {
    public SolviPlus() {
        super("SolviPlus", 2048);
    }
}
