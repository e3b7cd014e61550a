<?xml version="1.0"?>
<!-- The transactions of one account between two dates: the balance before the
     from date, one row per transaction in date and number order with the
     other account, the money in and out and the running balance, day totals
     where a day has several rows, the totals and the closing balance.

     The program works the listing out (exact sums, rows in order, figures
     written out) and gives this template a small document to lay out: a
     root Ledger with the opening, in, out and closing figures and the
     length of the widest figure of each amount column, a Day per date
     holding a t per row (dt, No, ac and name of the other account, Nar, in,
     out, balance) and a Total on days of several rows. The window sets
     FromDate, ToDate (yyyymmdd) and AcCode, and puts the date expression in
     place of ##DATEFORMAT##. With Status set to 1 a narrow column after No
     shows each row's status (st: c cleared, R reconciled, n not
     cleared) as a link that toggles it.

     Amount cells never wrap, and each amount column is given the width of
     its widest figure. -->
<xsl:stylesheet version="1.0" xmlns:xsl="http://www.w3.org/1999/XSL/Transform">
  <xsl:output method="xml" omit-xml-declaration="yes"/>
  <xsl:variable name="FromDate" select="0"/>
  <xsl:variable name="ToDate" select="0"/>
  <xsl:variable name="AcCode" select="0"/>
  <xsl:variable name="Status" select="0"/>

  <xsl:template match="/">
    <xsl:variable name="l" select="/Ledger"/>
    <xsl:variable name="s" select="number($Status = 1)"/>
    <HTML>
      <BODY>
        <DIV class="reporttitle"><B>[*[REPORTTILE]*]</B></DIV>
        <TABLE width="100%" cellspacing="0" cellpadding="2">
          <TR><TH width="75">Date</TH><TH width="25">No</TH><xsl:if test="$s"><TH width="26" style="white-space:nowrap">Clr</TH></xsl:if><TH>Account</TH><TH>Details</TH><TH width="{$l/@inWidth * 8 + 14}">In</TH><TH width="{$l/@outWidth * 8 + 14}">Out</TH><TH width="{$l/@balanceWidth * 8 + 14}">Balance</TH></TR>
          <TR id="opening">
            <TD colspan="{6 + $s}" class="BalanceCaption">Opening balance</TD>
            <TD class="OpeningBalanceAmount" align="right" style="white-space:nowrap"><xsl:value-of select="$l/@opening"/></TD>
          </TR>
          <xsl:for-each select="$l/Day">
            <xsl:for-each select="t">
              <TR id="id{@dt}{@No}">
                <TD class="text"><A href="[*[date]*]{@dt}"><xsl:value-of select="##DATEFORMAT##"/></A></TD>
                <TD class="text"><xsl:value-of select="@No"/></TD>
                <xsl:if test="$s">
                  <TD class="text" align="center"><A href="[*[S]*]{@dt}{@No}"><xsl:choose><xsl:when test="@st"><xsl:value-of select="@st"/></xsl:when><xsl:otherwise>n</xsl:otherwise></xsl:choose></A></TD>
                </xsl:if>
                <TD class="text"><xsl:if test="@ac"><A href="{@ac}"><xsl:value-of select="@name"/></A></xsl:if></TD>
                <TD class="text"><xsl:value-of select="@Nar"/></TD>
                <TD class="Amount" align="right" style="white-space:nowrap"><xsl:value-of select="@in"/></TD>
                <TD class="Amount" align="right" style="white-space:nowrap"><xsl:value-of select="@out"/></TD>
                <TD class="Amount" align="right" style="white-space:nowrap"><xsl:value-of select="@balance"/></TD>
              </TR>
            </xsl:for-each>
            <xsl:for-each select="Total">
              <TR>
                <TD colspan="{4 + $s}" class="DayTotalCaption">Day total</TD>
                <TD class="DayTotalAmount" align="right" style="white-space:nowrap"><xsl:value-of select="@in"/></TD>
                <TD class="DayTotalAmount" align="right" style="white-space:nowrap"><xsl:value-of select="@out"/></TD>
                <TD>&#160;</TD>
              </TR>
            </xsl:for-each>
          </xsl:for-each>
          <TR id="totals">
            <TD colspan="{4 + $s}" class="GrandTotalCaption">Total</TD>
            <TD class="GrandTotalAmount" align="right" style="white-space:nowrap"><xsl:value-of select="$l/@in"/></TD>
            <TD class="GrandTotalAmount" align="right" style="white-space:nowrap"><xsl:value-of select="$l/@out"/></TD>
            <TD>&#160;</TD>
          </TR>
          <TR id="closing">
            <TD colspan="{6 + $s}" class="BalanceCaption">Closing balance</TD>
            <TD class="ClosingBalanceAmount" align="right" style="white-space:nowrap"><xsl:value-of select="$l/@closing"/></TD>
          </TR>
        </TABLE>
      </BODY>
    </HTML>
  </xsl:template>
</xsl:stylesheet>
