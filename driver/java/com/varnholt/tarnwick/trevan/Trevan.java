package com.varnholt.tarnwick.trevan;

import com.varnholt.tarnwick.SimulatedSpectrometer;

/** The Trevan driver object: 3648 pixels. */
public class Trevan extends SimulatedSpectrometer {
    public Trevan() {
        super("Trevan", 3648);
    }
}
