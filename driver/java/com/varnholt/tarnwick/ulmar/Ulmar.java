package com.varnholt.tarnwick.ulmar;

import com.varnholt.tarnwick.SimulatedSpectrometer;

/** The Ulmar driver object: 1044 pixels, board and cooler temperatures, fan and TEC. */
public class Ulmar extends SimulatedSpectrometer {
    private boolean fan;
    private boolean tec;
    private double setPoint = -10.0;

    public Ulmar() {
        super("Ulmar", 1044);
    }

    /** The Ulmar's accumulator holds the sum of its scans; the library divides it. */
    @Override
    protected boolean sumsScans() {
        return true;
    }

    public double getMainBoardTemperature() {
        return 35.5;
    }

    public double getDetectorBoardTemperature() {
        return 28.0 + (fan ? -2.0 : 0.0);
    }

    public void setFanEnable(boolean flag) {
        fan = flag;
    }

    public void setTECEnable(boolean flag) {
        tec = flag;
    }

    public void setTECSetPoint(double celsius) {
        setPoint = celsius;
    }

    public double getTECTemperature() {
        return tec ? setPoint : 20.0;
    }
}
