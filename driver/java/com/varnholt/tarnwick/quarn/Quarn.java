package com.varnholt.tarnwick.quarn;

import com.varnholt.tarnwick.SimulatedSpectrometer;

/** The Quarn driver object: 3648 pixels. */
public class Quarn extends SimulatedSpectrometer {
    public Quarn() {
        super("Quarn", 3648);
    }
}
